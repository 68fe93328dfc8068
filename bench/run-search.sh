#!/bin/sh
# Builds the benchmarks in Release and runs the folder search benchmark: a Latin and a Korean
# word, each against grep and rg in the same run, then through the search index.
#   bench/run-search.sh [--store DIR] [--notes N] [--latin WORD] [--korean WORD] [--reps N]
# Without --store the benchmark generates a store of N notes (20,000 by default, about 6.5 KB
# each) in a fresh temporary directory and removes it at the end; a store given is only read,
# never changed or removed.
# BUILD_DIR chooses the build directory (default: build-bench beside the checkout).
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/../build-bench}
if ! command -v rg >/dev/null 2>&1; then
    apt-get install -y ripgrep >/dev/null || echo "ripgrep could not be installed; rg is left out" >&2
fi
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_search
exec "$build/bench/bench_search" "$@"
