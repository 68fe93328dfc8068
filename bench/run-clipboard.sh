#!/bin/sh
# Builds the benchmarks in Release and runs the paste rewrite benchmark: generated fragments of
# 0.5, 1 and 2 MB with 500 tags each, against a plain copy of the same bytes in the same run.
#   bench/run-clipboard.sh [--reps N]
# Nothing is written but the build; nothing is removed.
# BUILD_DIR chooses the build directory (default: build-bench beside the checkout).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/../build-bench}
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_clipboard
exec "$build/bench/bench_clipboard" "$@"
