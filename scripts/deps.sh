#!/usr/bin/env bash
# Installs the Debian 12 packages zqQuillet needs to build, run and test. Safe to run again.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
    qt6-translations-l10n qt6-qpa-plugins libgl-dev zlib1g-dev libgtest-dev libgmock-dev
    libicu-dev libsqlite3-dev
    fonts-nanum xvfb xauth qt6-multimedia-dev
    xdg-utils
    # the Debian package: dpkg-shlibdeps and the file type probe of cpack
    dpkg-dev file desktop-file-utils appstream
    # independent readers of the archives the tests write
    python3 unzip p7zip-full
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
