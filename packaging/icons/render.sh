#!/usr/bin/env bash
# Renders the PNG icons committed beside this script from the SVG, for the sizes desktops look
# up under share/icons/hicolor. Run after editing the SVG; needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" org.korvanel.Veltrane.svg -o "veltrane-$size.png"
done
