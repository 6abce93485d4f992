#!/usr/bin/env bash
# The counting loop (bench/count) end to end, as a user runs it: corvane-run on the hand-written
# image and on the one vrncc compiles from count.c, against lua5.4 and luajit -joff (LuaJIT's
# interpreter, its compiler off) on count.lua, in the same invocation. Each round runs all four
# one after the other, so that other work on the machine weighs on all alike; the figures are
# processor times (user + system) of the whole process, start-up included, and the ratios are
# the medians of each round's ratios.
# usage: bench/end_to_end.sh <build folder> [rounds of 30,000 passes] [rounds of measurement]
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 <build folder> [passes / 30000] [measurements]" >&2
    exit 2
fi
bin=$1/bin
loops=${2:-1000}
rounds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
for tool in corvane-run vrnasm vrncc; do
    [ -x "$bin/$tool" ] || { echo "build $tool in $1 first" >&2; exit 1; }
done
for tool in lua5.4 luajit; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/setup.sh)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/root"

"$bin/vrnasm" "$here/count/count.s" -D ROUNDS="$loops" -o "$work/count.vrn" >/dev/null
"$bin/vrncc" "$here/count/count.c" -D ROUNDS="$loops" -o "$work/count_c.vrn" >/dev/null

# Processor seconds of one command, its output discarded.
cpu() {
    local TIMEFORMAT='%U %S' t
    t=$({ time "$@" >/dev/null 2>&1; } 2>&1) || { echo "failed: $*" >&2; exit 1; }
    awk -v t="$t" 'BEGIN { split(t, f, " "); printf "%.3f", f[1] + f[2] }'
}
run() { "$bin/corvane-run" "$1" --root "$work/root" --max-instructions 100000000000; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$work/rows"
for ((r = 0; r < rounds; ++r)); do
    a=$(cpu run "$work/count.vrn")
    l=$(cpu lua5.4 "$here/count/count.lua" "$loops")
    c=$(cpu run "$work/count_c.vrn")
    j=$(cpu luajit -joff "$here/count/count.lua" "$loops")
    echo "$a $l $c $j" >>"$work/rows"
done

col() { awk -v k="$1" '{ print $k }' "$work/rows" | median; }
ratio() { awk -v x="$1" -v y="$2" '{ print ($y > 0) ? $x / $y : 0 }' "$work/rows" | median; }
printf 'counting loop, %d passes (%d rounds of 30,000), processor seconds, median of %d rounds\n' \
    $((loops * 30000)) "$loops" "$rounds"
printf '  corvane-run, hand-written (9 instructions a pass): %6.3f s\n' "$(col 1)"
printf '  corvane-run, vrncc from count.c:                   %6.3f s\n' "$(col 3)"
printf '  lua5.4:                                            %6.3f s\n' "$(col 2)"
printf '  luajit -joff:                                      %6.3f s\n' "$(col 4)"
printf '  hand-written / lua5.4: %.2f   / luajit -joff: %.2f\n' "$(ratio 1 2)" "$(ratio 1 4)"
printf '  vrncc        / lua5.4: %.2f   / luajit -joff: %.2f\n' "$(ratio 3 2)" "$(ratio 3 4)"
