#!/usr/bin/env bash
# Host instructions that `run` (the interpreter and the system calls) spends on a fixed amount of
# each demo's work, counted by callgrind: bench/demo_rounds.cpp is compiled against each source
# tree given (its headers and its default build's core library), so trees from before the
# driver existed compare too, and every tree runs the same images for the same rounds.
# usage: bench/demo_rounds.sh <images folder> <rounds> <source tree>...
#   e.g. bench/demo_rounds.sh BASE/build/default/bin 300 BASE .
set -euo pipefail
if [ $# -lt 3 ]; then
    echo "usage: $0 <images folder> <rounds> <source tree>..." >&2
    exit 2
fi
images=$1
rounds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
command -v valgrind >/dev/null || { echo "valgrind is not installed (scripts/setup.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

n=0
for tree in "$@"; do
    lib=$tree/build/default/libcorvane_core.a
    [ -f "$lib" ] || { echo "build the core library in $tree/build/default first" >&2; exit 1; }
    g++ -std=c++20 -O2 -I"$tree" -I"$tree/build/default" "$here/demo_rounds.cpp" "$lib" \
        "$tree/build/default/shared/libcorvane_shared.a" -o "$work/rounds$n"
    n=$((n + 1))
done

printf '%-9s %-30s %12s %14s %12s\n' demo tree executed 'run: host' 'a VM instr.'
for demo in showcase console draw snake clock keys; do
    n=0
    for tree in "$@"; do
        executed=$(valgrind --tool=callgrind --callgrind-out-file="$work/out" "$work/rounds$n" \
            "$images/$demo.vrn" "$rounds" 2>/dev/null)
        # awk reads to the end, so that the annotation never stops on a closed pipe.
        run=$(callgrind_annotate --inclusive=yes "$work/out" 2>/dev/null |
            awk '!found && /corvane::run\(corvane::Machine&, unsigned long\)/ {
                gsub(",", "", $1); print $1; found = 1 }')
        printf '%-9s %-30s %12s %14s %12s\n' "$demo" "$tree" "$executed" "$run" \
            "$(awk -v r="$run" -v e="$executed" 'BEGIN { printf "%.2f", (e > 0 ? r / e : 0) }')"
        n=$((n + 1))
    done
done
