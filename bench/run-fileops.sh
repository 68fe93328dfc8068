#!/bin/sh
# Builds the benchmarks in Release and runs the file operation benchmark: moving and copying a
# folder of 1,000 notes with pictures, against mv and cp -a.
#   bench/run-fileops.sh [--reps N] [--profile move|copy|cross] [empty work directory]
# BUILD_DIR chooses the build directory (default: build-bench beside the checkout). The work
# directory decides the file system measured (default: the system's temporary folder); the
# move across file systems goes to /dev/shm. GNU time (/usr/bin/time) gives the baselines'
# memory; without it that column stays empty.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$src/../build-bench}
if [ ! -x /usr/bin/time ]; then
    apt-get install -y time >/dev/null 2>&1 || echo "GNU time could not be installed; the baselines' memory is left out" >&2
fi
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
ninja -C "$build" -j2 bench_fileops
exec "$build/bench/bench_fileops" "$@"
