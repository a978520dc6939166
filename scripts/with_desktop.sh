#!/usr/bin/env bash
# Runs a command on a display of its own that has a window manager, as a learner's desktop
# does: a private Xvfb server with openbox on it. The window manager moves the focus between
# top-level windows and (un)maximizes them, which a bare Xvfb never does.
#   with_desktop.sh [--bare] <command> [args...]
# With --bare the display has no window manager: a private bare Xvfb, so that tests typing keys
# through the X server can run side by side without typing into each other's windows.
set -euo pipefail
bare=0
if [ "${1:-}" = "--bare" ]; then bare=1; shift; fi
tools="Xvfb openbox xprop"
[ "$bare" = 1 ] && tools="Xvfb"
for tool in $tools; do
  if ! command -v "$tool" >/dev/null; then
    echo "with_desktop.sh: $tool is missing (scripts/setup.sh installs it)" >&2
    exit 1
  fi
done

dir=$(mktemp -d)
xvfb_pid="" wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$dir"
}
trap cleanup EXIT

# Xvfb picks a free display number itself and writes it to the descriptor it is given.
mkfifo "$dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
xvfb_pid=$!
if ! read -r -t 10 number <"$dir/display"; then
  echo "with_desktop.sh: Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; exit 1
fi
export DISPLAY=":$number"
unset WAYLAND_DISPLAY

if [ "$bare" = 1 ]; then "$@"; exit; fi

HOME_FOR_WM="$dir/wm" ; mkdir -p "$HOME_FOR_WM"
HOME="$HOME_FOR_WM" XDG_CONFIG_HOME="$HOME_FOR_WM" openbox --sm-disable >"$dir/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it has claimed the screen's selection.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "with_desktop.sh: openbox did not start" >&2; cat "$dir/openbox.log" >&2; exit 1
fi

"$@"
