#!/bin/sh
# Builds the benchmarks in Release and runs the tree listing benchmark.
#   bench/run.sh [store directory]
# BUILD_DIR chooses the build directory (default: build-bench beside the checkout).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/../build-bench}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_treelisting
exec "$build/bench/bench_treelisting" "$@"
