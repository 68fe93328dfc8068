#!/bin/sh
# Draws the program's pictures in ../icons from the SVG sources here.
# Needs rsvg-convert (package librsvg2-bin) or, failing that, ImageMagick's convert.
set -eu
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../icons"
mkdir -p "$out"

render() { # svg size png
    if command -v rsvg-convert > /dev/null; then
        rsvg-convert -w "$2" -h "$2" "$1" -o "$3"
    else
        convert -background none -density 384 "$1" -resize "$2x$2" "$3"
    fi
}

# Tree, status bar and tool bar pictures, drawn on a 16 pixel grid.
for name in folder folder-open note note-selected grip \
            new-folder new-note delete tree-mode search-mode; do
    render "$here/$name.svg" 16 "$out/$name.png"
done

# The main window's tool bar, view mode and tree panel buttons, on the same grid.
for name in stay-on-top go-back go-forward history-list reload \
            find replace find-in-folder save print \
            mode-browse mode-edit mode-source mail save-mht make-zip notepad \
            zoom-in zoom-out zoom-reset settings exit tree-hide tree-show; do
    render "$here/$name.svg" 16 "$out/$name.png"
done

# The editing tool bars, with pictures of twice the size for high-density screens (Qt picks
# "name@2x.png" beside "name.png" by itself). font-color and back-color leave their bottom four
# rows empty for the colour bar of the colour picker.
for name in format-outdent format-indent list-numbered list-bullet \
            format-bold format-italic format-underline align-left align-center align-right \
            format-strike format-clear show-tags special-chars font-color back-color \
            insert-link insert-image insert-file-link insert-time insert-layer; do
    render "$here/$name.svg" 16 "$out/$name.png"
    render "$here/$name.svg" 32 "$out/$name@2x.png"
done

# The program icon: its own drawings for the small sizes, the detailed one above them.
render "$here/quillet-16.svg" 16 "$out/quillet-16.png"
render "$here/quillet-small.svg" 32 "$out/quillet-32.png"
for size in 48 64 128 256; do
    render "$here/quillet.svg" "$size" "$out/quillet-$size.png"
done

# The Qt resource file lists every picture under ":/icons/".
qrc="$here/../quillet.qrc"
{
    echo '<!DOCTYPE RCC>'
    echo '<RCC version="1.0">'
    echo '<qresource prefix="/">'
    for png in "$out"/*.png; do
        echo "    <file>icons/$(basename "$png")</file>"
    done
    echo '</qresource>'
    echo '</RCC>'
} > "$qrc"
