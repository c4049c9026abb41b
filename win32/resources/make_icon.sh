#!/usr/bin/env bash
# Draws quillmere.ico: a 4 by 4 board of sky and hill tiles with lavender
# frame lines and one black hole, at 32x32 and 16x16. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

draw() {  # size, tile size
  local size=$1 tile=$2 lines=() i
  for ((i = 0; i <= size; i += tile)); do
    lines+=(-draw "line $i,0 $i,$((size - 1))" -draw "line 0,$i $((size - 1)),$i")
  done
  convert -size "${size}x${size}" gradient:'rgb(70,130,220)-rgb(60,160,70)' \
    -fill black -draw "rectangle $((tile * 2 + 1)),$((tile + 1)) $((tile * 3 - 1)),$((tile * 2 - 1))" \
    -stroke 'rgb(180,180,250)' "${lines[@]}" \
    -type TrueColor "$tmp/icon-$size.png"
}

draw 32 8
draw 16 4
convert "$tmp/icon-32.png" "$tmp/icon-16.png" quillmere.ico
