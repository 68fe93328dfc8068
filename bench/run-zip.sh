#!/bin/sh
# Builds the benchmarks in Release and runs the zip export benchmark: 1,000 notes with 1,000
# pictures and 20,000 files of 1 KB, against raw zlib level 9 and Python's zipfile.
#   bench/run-zip.sh [--reps N] [--store pictures|small] [empty work directory]
# BUILD_DIR chooses the build directory (default: build-bench beside the checkout).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/../build-bench}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_zip
exec "$build/bench/bench_zip" "$@"
