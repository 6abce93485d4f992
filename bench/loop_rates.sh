#!/usr/bin/env bash
# The array and call loops (bench/loops, vm_bench's loops run end to end) and the C programs of
# bench/codegen, measured on one or more builds in the same invocation, so that a tree can be
# set against an older one. Two figures each:
#   - machine instructions that `run` executes, counted by callgrind (the same on a busy machine
#     as on a quiet one): for a loop, a pass of it (two instruction limits, their difference over
#     the difference in passes leaves start-up out); for a C program, its whole run to the end,
#     compiled by that build's own vrncc (so a leaner compiler counts too);
#   - processor seconds of corvane-run, start-up included, the builds taking turns in each
#     round, median of the rounds.
# usage: bench/loop_rates.sh [--rounds N] <build folder>...
set -euo pipefail
rounds=3
if [ "${1:-}" = --rounds ]; then
    rounds=$2
    shift 2
fi
if [ $# -lt 1 ]; then
    echo "usage: $0 [--rounds N] <build folder>..." >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
command -v valgrind >/dev/null || { echo "valgrind is not installed (scripts/setup.sh)" >&2; exit 1; }
for b in "$@"; do
    for tool in corvane-run vrnasm vrncc; do
        [ -x "$b/bin/$tool" ] || { echo "build $tool in $b first" >&2; exit 1; }
    done
done
# The font data file of the first build that has one (a build made for measuring may lack it).
fonts=""
for b in "$@"; do
    if [ -z "$fonts" ] && [ -f "$b/bin/duzezi.dat" ]; then fonts=$(cd "$b/bin" && pwd)/duzezi.dat; fi
done
[ -n "$fonts" ] || { echo "no build has its font data file (bin/duzezi.dat)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
mkdir -p "$work/root"

# name: a loop (per-pass instructions) or a C program (whole run)
loops="array:21 call:10"
programs="sum array fib bytes count3 index walk cases"

# Images of build number $1 in "$work/$1/".
images() {
    local bin=$2/bin
    mkdir -p "$work/$1"
    for l in $loops; do
        "$bin/vrnasm" "$here/loops/${l%%:*}.s" -o "$work/$1/loop-${l%%:*}.vrn" >/dev/null
    done
    for p in $programs; do
        [ -f "$here/codegen/$p.c" ] || continue
        "$bin/vrncc" "$here/codegen/$p.c" -o "$work/$1/c-$p.vrn" >/dev/null 2>&1 ||
            echo "  ($p.c does not compile with $2)" >&2
    done
}

# Machine instructions `run` executes (called functions included) for corvane-run $2 $3...
inRun() {
    local bin=$1
    shift
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$bin/corvane-run" "$@" \
        --root "$work/root" --fonts "$fonts" >/dev/null 2>"$work/log" || true
    callgrind_annotate --inclusive=yes "$work/out" 2>/dev/null |
        awk '!found && /corvane::run\(corvane::Machine&, unsigned long\)/ { gsub(",", "", $1); print $1; found = 1 }'
}

cpu() {
    local TIMEFORMAT='%U %S' t
    t=$({ time "$@" >/dev/null 2>&1; } 2>&1) || true
    awk -v t="$t" 'BEGIN { split(t, f, " "); printf "%.3f", f[1] + f[2] }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

n=0
for b in "$@"; do
    images $n "$b"
    n=$((n + 1))
done

short=2000000
long=4000000
timed=200000000
echo "machine instructions in run (callgrind); a loop: a pass; a C program: its whole run"
printf '  %-14s' ""
for b in "$@"; do printf ' %16s' "$(basename "$(cd "$b/../.." && pwd)")"; done
echo
for l in $loops; do
    name=${l%%:*} per=${l##*:}
    printf '  %-14s' "loop $name"
    n=0
    for b in "$@"; do
        img="$work/$n/loop-$name.vrn"
        s=$(inRun "$b/bin" "$img" --max-instructions $short)
        g=$(inRun "$b/bin" "$img" --max-instructions $long)
        printf ' %16.2f' "$(awk -v s="$s" -v g="$g" -v p=$(((long - short) / per)) 'BEGIN { print (g - s) / p }')"
        n=$((n + 1))
    done
    echo
done
for p in $programs; do
    printf '  %-14s' "C $p"
    n=0
    for b in "$@"; do
        img="$work/$n/c-$p.vrn"
        if [ -f "$img" ]; then printf ' %16s' "$(inRun "$b/bin" "$img")"; else printf ' %16s' -; fi
        n=$((n + 1))
    done
    echo
done

echo "processor seconds of corvane-run, median of $rounds rounds taking turns"
echo "  (a loop: $timed instructions)"
: >"$work/rows"
for ((r = 0; r < rounds; ++r)); do
    row=""
    for l in $loops; do
        n=0
        for b in "$@"; do
            row="$row $(cpu "$b/bin/corvane-run" "$work/$n/loop-${l%%:*}.vrn" --root "$work/root" --fonts "$fonts" --max-instructions $timed)"
            n=$((n + 1))
        done
    done
    echo "$row" >>"$work/rows"
done
k=1
for l in $loops; do
    printf '  %-14s' "loop ${l%%:*}"
    for b in "$@"; do
        printf ' %16s' "$(awk -v k=$k '{ print $k }' "$work/rows" | median)"
        k=$((k + 1))
    done
    echo
done
