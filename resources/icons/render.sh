#!/bin/bash
# Re-renders the committed PNG icons from corvane-32.xpm and corvane.svg.
# Needs the Debian packages imagemagick (convert) and librsvg2-bin (rsvg-convert).
set -euo pipefail
cd "$(dirname "$0")"

# PNG colour type 2: 8-bit RGB, no alpha, no palette; -strip keeps the files free of timestamps.
png_rgb=(-background '#000000' -alpha remove -alpha off -depth 8 -strip
         -define png:color-type=2 -define png:bit-depth=8)

convert corvane-32.xpm "${png_rgb[@]}" PNG24:corvane-32.png

for size in 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" -b '#000000' -f png corvane.svg |
        convert png:- "${png_rgb[@]}" PNG24:"corvane-$size.png"
done
