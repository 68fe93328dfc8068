#!/bin/sh
# Runs the random action test of the main window with a long sequence.
#   bench/run-randomactions.sh [STEPS] [SEED]
# STEPS defaults to 10000; SEED to one taken from the clock (printed, so the run can be
# replayed with QUILLET_RANDOM_SEED=... QUILLET_RANDOM_STEPS=...). BUILD_DIR chooses the build
# directory (default: build beside this script's checkout).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/build}
cmake --build "$build" -j2 --target tst_randomactions
export QUILLET_RANDOM_STEPS="${1:-${QUILLET_RANDOM_STEPS:-10000}}"
export QUILLET_RANDOM_SEED="${2:-${QUILLET_RANDOM_SEED:-clock}}"
export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu --no-sandbox --disable-background-networking}"
# The engine's sandbox refuses to run as root.
if [ "$(id -u)" = 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec "$build/tests/tst_randomactions"
