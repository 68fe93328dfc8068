#!/bin/sh
# Configures, builds and runs the fuzz targets for the given number of seconds each.
# Usage: fuzz/run.sh [seconds] [build dir]   (defaults: 60, ../build-fuzz beside the checkout)
# New inputs collect in <build dir>/corpus/<target>; crashes in <build dir>/artifacts.
set -eu
SECONDS_EACH=${1:-60}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${2:-$ROOT/../build-fuzz}

CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD" -G Ninja -DQUILLET_FUZZ=ON >/dev/null
ninja -C "$BUILD" -j2 fuzz_ini fuzz_pagepath fuzz_ziparchive

mkdir -p "$BUILD/artifacts"
for target in fuzz_ini fuzz_pagepath fuzz_ziparchive; do
    mkdir -p "$BUILD/corpus/$target"
    echo "== $target, $SECONDS_EACH s"
    "$BUILD/fuzz/$target" "$BUILD/corpus/$target" "$ROOT/fuzz/corpus/$target" \
        -max_total_time="$SECONDS_EACH" -artifact_prefix="$BUILD/artifacts/$target-" \
        -print_final_stats=1
done
