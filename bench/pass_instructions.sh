#!/usr/bin/env bash
# Machine instructions per pass of the counting loop (bench/count), end to end through
# corvane-run, counted by callgrind: the same on a busy machine as on a quiet one, unlike the
# processor times of bench/end_to_end.sh. Each image runs twice, with two round counts; the
# difference of the two counts over the difference in passes leaves start-up and the outer
# loop out. Two figures: the whole process (the runner's own work between batches included)
# and the interpreter alone (what `run` executes, called functions included).
# usage: bench/pass_instructions.sh <build folder> [rounds of the shorter run, default 20]
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 <build folder> [rounds]" >&2
    exit 2
fi
bin=$1/bin
rounds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
for tool in corvane-run vrnasm vrncc; do
    [ -x "$bin/$tool" ] || { echo "build $tool in $1 first" >&2; exit 1; }
done
command -v valgrind >/dev/null || { echo "valgrind is not installed (scripts/setup.sh)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/root"

# Instructions the whole process and `run` execute on `image`.
count() {
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$bin/corvane-run" "$1" \
        --root "$work/root" --max-instructions 100000000000 >/dev/null 2>"$work/log" ||
        { cat "$work/log" >&2; exit 1; }
    local all run
    all=$(sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$work/log")
    run=$(callgrind_annotate --inclusive=yes "$work/out" 2>/dev/null |
        awk '/corvane::run\(corvane::Machine&, unsigned long\)/ { gsub(",", "", $1); print $1; exit }')
    echo "$all ${run:-0}"
}

# `name`, then how the image for a round count is made.
measure() {
    local name=$1 make=$2
    "$make" "$rounds" "$work/short.vrn"
    "$make" $((2 * rounds)) "$work/long.vrn"
    local short long
    short=$(count "$work/short.vrn")
    long=$(count "$work/long.vrn")
    awk -v n="$name" -v s="$short" -v l="$long" -v p=$((rounds * 30000)) 'BEGIN {
        split(s, a, " "); split(l, b, " ")
        printf "  %-38s %6.2f a pass, %6.2f of them in run\n", n, (b[1] - a[1]) / p, (b[2] - a[2]) / p
    }'
}
hand() { "$bin/vrnasm" "$here/count/count.s" -D ROUNDS="$1" -o "$2" >/dev/null; }
cc() { "$bin/vrncc" "$here/count/count.c" -D ROUNDS="$1" -o "$2" >/dev/null 2>&1; }

echo "counting loop, callgrind, rounds $rounds against $((2 * rounds)) of 30,000 passes"
measure "hand-written (9 instructions a pass)" hand
measure "vrncc from count.c" cc
