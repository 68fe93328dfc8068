#!/bin/sh
# Builds the shipped note templates in ../zqTemplate from the sources here:
#   NAME.html (UTF-8, LF)  ->  NAME.htm (CP949 bytes, CR LF line ends)
#   NAME.svg               ->  NAME.ico (16x16 and 32x32 images)
# Needs iconv, ImageMagick's convert and, for clean small pictures, rsvg-convert
# (package librsvg2-bin); without it convert draws the SVG itself.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../zqTemplate"
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

for src in "$here"/*.html; do
    name=$(basename "$src" .html)
    # A character CP949 cannot hold makes iconv fail, and with it the build.
    tr -d '\r' < "$src" > "$tmp/utf8.txt"
    iconv -f UTF-8 -t CP949 "$tmp/utf8.txt" > "$tmp/cp949.txt"
    sed 's/$/\r/' "$tmp/cp949.txt" > "$tmp/page.htm"
    if ! grep -q '<!--title-->' "$tmp/page.htm"; then
        echo "$src: no <!--title--> marker" >&2
        exit 1
    fi
    mv "$tmp/page.htm" "$out/$name.htm"
done

render() { # svg size png
    if command -v rsvg-convert > /dev/null; then
        rsvg-convert -w "$2" -h "$2" "$1" -o "$3"
    else
        convert -background none -density 384 "$1" -resize "$2x$2" "$3"
    fi
}

for src in "$here"/*.svg; do
    name=$(basename "$src" .svg)
    render "$src" 16 "$tmp/16.png"
    render "$src" 32 "$tmp/32.png"
    convert "$tmp/16.png" "$tmp/32.png" "$out/$name.ico"
done
