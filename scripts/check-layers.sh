#!/bin/sh
# The source folders stand in layers; a file includes only headers of its own folder and of the
# folders before it:
#   platform < widgets < app < store < editor < tools < mainwin
# Prints every include that runs upward and fails when there is one.
set -eu
cd "$(dirname "$0")/../src"
rank() {
    case "$1" in
    platform) echo 0 ;; widgets) echo 1 ;; app) echo 2 ;; store) echo 3 ;;
    editor) echo 4 ;; tools) echo 5 ;; mainwin) echo 6 ;; *) echo "" ;;
    esac
}
bad=0
for folder in platform widgets app store editor tools mainwin; do
    own=$(rank "$folder")
    for file in "$folder"/*; do
        case "$file" in *.h | *.cpp) ;; *) continue ;; esac
        # Each quoted include with its line number: "12 store/util.h".
        for hit in $(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
            sed -n 's/^\([0-9]*\):.*"\([^"]*\)".*/\1:\2/p'); do
            line=${hit%%:*}
            header=${hit#*:}
            case "$header" in */*) ;; *) continue ;; esac
            other=$(rank "${header%%/*}")
            if [ -z "$other" ]; then
                echo "src/$file:$line: includes $header, which is in no layer" >&2
                bad=1
            elif [ "$other" -gt "$own" ]; then
                echo "src/$file:$line: $folder includes $header from a later layer" >&2
                bad=1
            fi
        done
    done
done
if [ "$bad" -ne 0 ]; then
    echo "layers: platform < widgets < app < store < editor < tools < mainwin" >&2
    exit 1
fi
echo "layers: every include runs down or stays in its folder"
