#!/bin/sh
# Compares the interpreter with Lua 5.4 on loop (a), locals and immediates.
# usage: bench/compare_lua.sh <build folder> [passes of the inner loop for Lua]
# The interpreter's rate comes from vm_bench (loops_per_second of BM_LocalsAndImmediates); Lua
# runs bench/lua/loop_a.lua for the given number of passes. Both figures are processor time.
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 <build folder> [passes]" >&2
    exit 2
fi
build=$1
passes=${2:-60000000}
here=$(cd "$(dirname "$0")" && pwd)
bench="$build/bench/vm_bench"
[ -x "$bench" ] || { echo "build the vm_bench target in $build first" >&2; exit 1; }
command -v lua5.4 >/dev/null || { echo "lua5.4 is not installed" >&2; exit 1; }

vm_rate=$("$bench" --benchmark_filter='BM_LocalsAndImmediates$' --benchmark_min_time=2 \
    --benchmark_format=json | sed -n 's/.*"loops_per_second": *\([0-9.e+]*\).*/\1/p' | head -n 1)
[ -n "$vm_rate" ] || { echo "no rate from vm_bench" >&2; exit 1; }

lua_s=$(lua5.4 "$here/lua/loop_a.lua" "$passes" | tail -n 1)

awk -v rate="$vm_rate" -v passes="$passes" -v lua_s="$lua_s" 'BEGIN {
    vm_s = passes / rate
    printf "loop (a), %d passes of the inner loop\n", passes
    printf "  interpreter: %.3f s (%.1f M passes/s)\n", vm_s, rate / 1e6
    printf "  lua5.4:      %.3f s (%.1f M passes/s)\n", lua_s, passes / lua_s / 1e6
    printf "  ratio lua/interpreter time: %.2f\n", lua_s / vm_s
}'
