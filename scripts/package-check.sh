#!/usr/bin/env bash
# Builds the Debian package of the program in the build folder, unpacks it into a temporary
# root (dpkg -x) and checks that the files are where the menu entry says, then starts the
# unpacked program once with a home of its own: it must keep its settings, its data directory
# with the welcome note and its temporary folder in the XDG folders, never beside itself.
# Usage: scripts/package-check.sh [build folder]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/zqquillet_*.deb | head -1)
echo "package: $deb"
dpkg-deb --info "$deb" | grep -E "Package|Version|Depends" | sed 's/^/  /'
root="$work/root"
dpkg -x "$deb" "$root"

fail() { echo "package check: $*" >&2; exit 1; }
desktop="$root/usr/share/applications/zqquillet.desktop"
[ -f "$desktop" ] || fail "no menu entry"
if command -v desktop-file-validate >/dev/null; then desktop-file-validate "$desktop"; fi
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "$root/usr/bin/$exec_name" ] || fail "Exec=$exec_name is not in /usr/bin"
for size in 16 32 48 64 128 256; do
    [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] ||
        fail "icon $icon missing at ${size}x${size}"
done
for f in zqfonts.conf help/index.html zqTemplate; do
    [ -e "$root/usr/share/zqquillet/$f" ] || fail "usr/share/zqquillet/$f missing"
done
grep -q "^Name\[ko\]=" "$desktop" || fail "no Korean name in the menu entry"
# Software centres list the program by its AppStream metadata, which names the menu entry.
metainfo="$root/usr/share/metainfo/org.zqquillet.zqquillet.metainfo.xml"
[ -f "$metainfo" ] || fail "no AppStream metadata"
appstreamcli validate --no-net "$metainfo" || fail "the AppStream metadata does not validate"
grep -q "<launchable type=\"desktop-id\">$(basename "$desktop")</launchable>" "$metainfo" ||
    fail "the AppStream metadata does not launch the menu entry"

# One start of the unpacked program, ended by a termination signal as a desktop logout would.
home="$work/home"
mkdir -p "$home"
set +e
HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    timeout -s TERM 20 "$root/usr/bin/$exec_name" zqzq >"$work/run.log" 2>&1
set -e
[ -f "$home/.config/zqQuillet/zqQuillet.ini" ] || { cat "$work/run.log"; fail "no settings file in ~/.config/zqQuillet"; }
[ -f "$home/.local/share/zqQuillet/BookData/zqQuillet 안내.htm" ] || fail "no welcome note in the default data directory"
[ -d "$home/.local/share/zqQuillet/zqTemplate" ] || fail "templates not copied for the user"
leftovers=$(find "$root/usr/bin" -mindepth 1 ! -name "$exec_name")
[ -z "$leftovers" ] || fail "the program wrote beside itself: $leftovers"
echo "package check: passed"
