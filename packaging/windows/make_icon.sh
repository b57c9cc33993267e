#!/usr/bin/env bash
# Writes quelmbox.ico, the icon of the Windows programs and of the installer,
# from ../quelmbox.svg: the sizes Windows asks for at 100 % to 200 % scaling
# as plain bitmaps, and 256 pixels compressed as PNG. The .ico is committed;
# run this again (Debian: librsvg2-bin, icoutils) when the drawing changes.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
small=()
for size in 16 20 24 32 40 48; do
  rsvg-convert -w "$size" -h "$size" ../quelmbox.svg -o "$tmp/$size.png"
  small+=("$tmp/$size.png")
done
rsvg-convert -w 256 -h 256 ../quelmbox.svg -o "$tmp/256.png"
icotool -c -o quelmbox.ico "${small[@]}" --raw="$tmp/256.png"
