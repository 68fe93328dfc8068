#!/bin/sh
# Builds the benchmarks in Release and runs the folder clean-up benchmark: the scan of 1,000
# notes of 30 KB against 10,000 candidate files, against grep -rFo -f over the same notes.
#   bench/run-cleanup.sh [--reps N]
# The benchmark generates its folder in a fresh temporary directory and removes only that.
# BUILD_DIR chooses the build directory (default: build-bench beside the checkout).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/../build-bench}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_cleanup
exec "$build/bench/bench_cleanup" "$@"
