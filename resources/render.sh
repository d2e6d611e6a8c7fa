#!/usr/bin/env bash
# Renders the committed PNG images and Windows icons from the SVG sources.
# The build uses the committed files; run this only after editing a source.
# Needs: librsvg2-bin (rsvg-convert) and imagemagick (convert).
set -euo pipefail
cd "$(dirname "$0")"
for name in new open save undo redo arrange; do
    rsvg-convert -w 32 -h 32 "src/$name.svg" -o "image/$name.png"
done
rsvg-convert -w 64 -h 64 src/arrow.svg -o image/arrow.png
cp src/arrow.svg ramify.svg
sizes=(32 48 64 96 128)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for s in "${sizes[@]}"; do
    rsvg-convert -w "$s" -h "$s" src/arrow.svg -o "$tmp/$s.png"
done
pngs=()
for s in "${sizes[@]}"; do pngs+=("$tmp/$s.png"); done
convert "${pngs[@]}" windows/Ramify.ico
