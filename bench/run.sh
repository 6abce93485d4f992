#!/bin/sh
# Runs every benchmark built in a build folder: bench/run.sh <build folder> [benchmark options]
# Configure a Release folder first for meaningful figures, e.g.
#   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build/release
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 <build folder> [benchmark options]" >&2
    exit 2
fi
build=$1
shift
found=0
for bench in "$build"/bench/*_bench; do
    [ -x "$bench" ] || continue
    found=1
    echo "== $(basename "$bench")"
    "$bench" "$@"
done
if [ "$found" -eq 0 ]; then
    echo "no benchmarks in $build/bench (build the *_bench targets first)" >&2
    exit 1
fi
