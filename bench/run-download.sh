#!/bin/sh
# Builds the benchmarks in Release and runs the picture download benchmark: 30 pictures from a
# local server with 100 ms latency each, one at a time, the default number at once and all at
# once, against the slowest single download.
#   bench/run-download.sh [--reps N] [--pictures N] [--latency MS]
# BUILD_DIR chooses the build directory (default: build-bench beside the checkout).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/../build-bench}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_download
exec "$build/bench/bench_download" "$@"
