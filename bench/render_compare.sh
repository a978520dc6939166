#!/usr/bin/env bash
# veltrane-render against Debian's ebook2cw on the same text (default ~10,000 characters of
# words and figures), 20 WPM without Farnsworth spacing, 700 Hz, 22,050 samples per second,
# both to MP3 and both to Ogg Vorbis. Our WAV render of the same text is everything except the
# encoder, so WAV / MP3 and WAV / Ogg are the shares spent outside the encoder. CPU time (user +
# system) of each whole command, one run each, so that a loaded machine disturbs it less.
#
#   apt-get install -y ebook2cw
#   bash bench/render_compare.sh [build dir, default build/test] [text file]
#
# Ratios above 1 mean veltrane-render used less CPU than ebook2cw.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/test}
render=$build/src/render/veltrane-render
[ -x "$render" ] || { echo "no $render: build the veltrane-render target first" >&2; exit 2; }
command -v ebook2cw >/dev/null || { echo "needs ebook2cw: apt-get install -y ebook2cw" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
text=$(realpath "${2:-$work/text.txt}" 2>/dev/null || echo "$work/text.txt")
if [ -z "${2:-}" ]; then
  : > "$text"
  while [ "$(wc -c < "$text")" -lt 10000 ]; do
    printf 'the quick brown fox jumps over the lazy dog 1234567890 cq cq de test paris ' >> "$text"
  done
fi

# CPU seconds of one command, its output discarded.
cpu() {
  local TIMEFORMAT='%U %S'
  { time "$@" > /dev/null 2>&1; } 2>&1 | awk '{ printf "%.2f", $1 + $2 }'
}

ours=("$render" --quiet -t "$text" --wpm 20 --pitch 700)
theirs=(ebook2cw -w 20 -f 700 -s 22050)
wav=$(cpu "${ours[@]}" "$work/ours.wav")
mp3=$(cpu "${ours[@]}" -Q 2 "$work/ours.mp3")
ogg=$(cpu "${ours[@]}" -Q 2 "$work/ours.ogg")
(cd "$work" && cpu "${theirs[@]}" -b 16 -o theirs "$text") > "$work/t_mp3"
(cd "$work" && cpu "${theirs[@]}" -O -o theirs "$text") > "$work/t_ogg"
tmp3=$(cat "$work/t_mp3"); togg=$(cat "$work/t_ogg")
seconds=$(soxi -D "$work/ours.wav" 2>/dev/null || echo "?")

echo "sound: ${seconds} s; text: $(wc -c < "$text") bytes"
printf '%-8s %12s %12s %8s %18s\n' format ours_cpu_s ebook2cw_s ratio outside_encoder
awk -v w="$wav" -v o="$mp3" -v t="$tmp3" 'BEGIN { printf "%-8s %12.2f %12.2f %8.2f %17.0f%%\n", "mp3", o, t, t / o, 100 * w / o }'
awk -v w="$wav" -v o="$ogg" -v t="$togg" 'BEGIN { printf "%-8s %12.2f %12.2f %8.2f %17.0f%%\n", "ogg", o, t, t / o, 100 * w / o }'
echo "wav (no encoder): ${wav} s"
ls -l "$work" | awk 'NR > 1 { print "  " $5 " bytes  " $9 }'
