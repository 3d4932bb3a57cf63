#!/usr/bin/env bash
# Remakes brindle.ico (16 to 256 pixels) and the Linux icons (app/linux/brindle-48.png and
# brindle-256.png) from the drawing brindle-icon.mvg with ImageMagick.
# The icons are kept in the tree so that a build needs no image tools.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none -draw "$(grep -v '^#' brindle-icon.mvg)" -depth 8 "$work/256.png"
layers=()
for size in 16 24 32 48 64; do
  convert "$work/256.png" -filter Lanczos -resize "${size}x${size}" -depth 8 "$work/$size.png"
  layers+=("$work/$size.png")
done
convert "${layers[@]}" "$work/256.png" brindle.ico
convert "$work/256.png" -strip ../../linux/brindle-256.png
convert "$work/48.png" -strip ../../linux/brindle-48.png
identify brindle.ico ../../linux/brindle-*.png
