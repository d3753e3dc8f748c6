#!/usr/bin/env bash
# Draws the large menu icons packaging/icons/kaz-trainer-<size>.png (64, 128, 256 px) with
# ImageMagick. The picture is the program's icon 190 (resources/icons/190-*.png, drawn by
# tools/draw_pictures) on the same 32-unit grid: a blue card with a white bold "K" above three
# LED dots in green, yellow and red. The 16, 32 and 48 px icons are installed from resources/;
# icons/kaz-trainer.svg draws the same picture on the same grid by hand (the "K" as a path).
# The PNGs are committed; run this again after changing the picture and commit the result.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out=${1:-$here/icons}
mkdir -p "$out"

draw() {
    local size=$1 file=$2
    # Every coordinate below is in grid units; u is the size of one unit in pixels.
    at() { awk -v s="$size" -v e="$1" 'BEGIN { u = s / 32; printf "%.2f", e * u }'; }
    local edge card radius
    edge=$(at 0.5)
    card="roundrectangle $edge,$edge $(at 31.5),$(at 31.5) $(at 5),$(at 5)"
    radius=$(at 2.6)
    dot() { echo "circle $(at "$1"),$(at 26) $(awk -v a="$(at "$1")" -v r="$radius" 'BEGIN { printf "%.2f", a + r }'),$(at 26)"; }
    convert -size "${size}x${size}" gradient:'#2850dc-#000080' -alpha set \
        \( -size "${size}x${size}" xc:none -fill white -stroke white -strokewidth "$(at 1)" -draw "$card" \) \
        -compose DstIn -composite -compose Over \
        -fill none -stroke '#000040' -strokewidth "$(at 1)" -draw "$card" \
        -stroke none -fill white -font Liberation-Sans-Bold -pointsize "$(at 22)" \
        -gravity North -annotate "+0-$(at 0.6)" K -gravity NorthWest \
        -fill '#00ff00' -draw "$(dot 9)" \
        -fill '#ffff00' -draw "$(dot 16)" \
        -fill '#ff0000' -draw "$(dot 23)" \
        -strip -depth 8 "PNG32:$file"
}

for size in 64 128 256; do
    draw "$size" "$out/kaz-trainer-$size.png"
    echo "$out/kaz-trainer-$size.png"
done
