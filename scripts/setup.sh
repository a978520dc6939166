#!/usr/bin/env bash
# Installs the Debian 12 packages the trainer needs to build, run and test.
# Runs as root, or through sudo for a normal user. Skips apt when everything is present.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev portaudio19-dev libsqlite3-dev
  libgtk-3-dev
  googletest libgtest-dev libgmock-dev
  xvfb xauth fonts-wqy-microhei
  pulseaudio pulseaudio-utils libasound2-plugins
  desktop-file-utils appstream python3
  libsndfile1-dev libcli11-dev sox libsox-fmt-mp3 opus-tools
  openbox xdotool x11-utils
)

missing=()
for p in "${PACKAGES[@]}" ${VELTRANE_EXTRA_PACKAGES:-}; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
