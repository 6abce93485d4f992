#!/bin/sh
# The demos written both in C and in assembly, side by side: the size of each image and the
# instructions each runs per frame of virtual time over a stretch of scripted play (the same keys
# and frames for both). Virtual time makes the counts exact and repeatable. (The file demo does
# its work at once and then waits for keys, so it has no stretch to measure.)
# usage: bench/demos_c_vs_asm.sh <build folder>
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 <build folder>" >&2
    exit 2
fi
bin=$1/bin
runner="$bin/corvane-run"
[ -x "$runner" ] && [ -d "$bin/asm" ] || { echo "build corvane-run and demos in $1 first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# Instructions executed up to frame $3 with keys $2 on image $1.
count() {
    rm -rf "$work/root" && mkdir -p "$work/root"
    "$runner" "$1" --root "$work/root" --fonts "$bin/duzezi.dat" --keys "$2" --max-frames "$3" \
        --dialog cancel --date 2024-05-17T13:45:50 --stats 2>/dev/null |
        sed -n 's/.*instructions=\([0-9]*\).*/\1/p'
}

printf '%-9s %-42s %9s %9s %7s %7s %6s\n' demo stretch "C bytes" "asm bytes" "C i/f" "asm i/f" ratio
# demo, keys, first and last frame of the stretch measured, what it shows.
while IFS='|' read -r demo keys from to what; do
    [ -f "$bin/$demo.vrn" ] && [ -f "$bin/asm/$demo.vrn" ] || continue
    set --
    for image in "$bin/$demo.vrn" "$bin/asm/$demo.vrn"; do
        a=$(count "$image" "$keys" "$from")
        b=$(count "$image" "$keys" "$to")
        set -- "$@" $(( (b - a) / (to - from) ))
    done
    printf '%-9s %-42s %9d %9d %7d %7d %6s\n' "$demo" "$what" \
        "$(wc -c <"$bin/$demo.vrn")" "$(wc -c <"$bin/asm/$demo.vrn")" "$1" "$2" \
        "$(awk -v c="$1" -v a="$2" 'BEGIN { if (a) printf "%.2f", c / a; else print "-" }')"
done <<'LIST'
snake|30:enter|60|240|a game, frames 60-240
draw|100:space|110|190|the radar, frames 110-190
keys||30|330|the idle tester, frames 30-330
clock||30|330|the clock, frames 30-330
showcase|20:right 30:enter 60:enter|70|250|the snake screen, frames 70-250
LIST
