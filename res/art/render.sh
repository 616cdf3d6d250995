#!/bin/sh
# Renders every picture source in this folder (NAME.svg) to ../images/NAME.png, and the desktop
# icon (koralith.svg), which the game never loads, to ../icon/koralith.png.
# The PNGs are committed, so building the game needs no drawing tool; run this after
# changing a source and commit both. Needs rsvg-convert (Debian: librsvg2-bin) and the
# Liberation fonts (fonts-liberation2), to which "Arial" resolves.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../images"

if ! command -v rsvg-convert >/dev/null 2>&1; then
    echo "render.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2
    exit 1
fi
if ! fc-match -f '%{family}\n' Arial | grep -q 'Liberation Sans'; then
    echo "render.sh: \"Arial\" does not resolve to Liberation Sans (apt-get install fonts-liberation2)" >&2
    exit 1
fi

mkdir -p "$out" "$here/../icon"
for src in "$here"/*.svg; do
    name=$(basename "$src" .svg)
    folder=images
    [ "$name" = koralith ] && folder=icon
    rsvg-convert --format=png --output="$here/../$folder/$name.png" "$src"
    echo "$folder/$name.png"
done
