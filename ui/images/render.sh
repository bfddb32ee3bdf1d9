#!/bin/sh
# Renders the PNG images and the Windows icon from the SVG sources in src/.
# The results are committed, so building Talvern needs neither rsvg-convert nor ImageMagick.
set -eu
cd "$(dirname "$0")"

render() { # source size output
    rsvg-convert -w "$2" -h "$2" -o "$3" "src/$1.svg"
}

for name in About Add Backup Camera Clear Close Disconnect Disk Download File Help \
            History Map Refresh Remove Restore Revert Settings Upload; do
    render "$name" 192 "$name.png"
done
render qtlogo-64 64 qtlogo-64.png
render CorvaneLogo 256 CorvaneLogo.png

# Application icon group: 16 to 256 pixels, 32 bits per pixel.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in 16 32 48 64 128 256; do
    render Talvern "$size" "$work/$size.png"
done
convert "$work/16.png" "$work/32.png" "$work/48.png" "$work/64.png" "$work/128.png" "$work/256.png" \
    -define bmp:format=bmp4 Talvern.ico
