#!/bin/sh
# Start-up time of corvane-run up to its first instruction: runs an image whose first
# instruction is EXIT (so the run ends there) the given number of times and prints the median
# and the fastest wall time in milliseconds.
# usage: bench/startup.sh <build folder> [runs]
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 <build folder> [runs]" >&2
    exit 2
fi
build=$1
runs=${2:-40}
runner="$build/bin/corvane-run"
[ -x "$runner" ] || { echo "build the corvane-run target in $build first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
# Header "VRN" 0x12, twelve reserved bytes, then EXIT (0x40).
printf 'VRN\022\0\0\0\0\0\0\0\0\0\0\0\0\100' > "$work/exit.vrn"
mkdir -p "$work/root"
i=0
while [ "$i" -lt "$runs" ]; do
    start=$(date +%s%N)
    "$runner" --root "$work/root" "$work/exit.vrn" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo $(( (end - start) / 1000 ))
    i=$((i + 1))
done | sort -n | awk '{ t[NR] = $1 } END {
    printf "corvane-run start-up to the first instruction, %d runs: median %.2f ms, fastest %.2f ms\n",
        NR, t[int((NR + 1) / 2)] / 1000, t[1] / 1000 }'
