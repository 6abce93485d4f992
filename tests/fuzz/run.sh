#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for SECONDS seconds each, on a working corpus in the
# build folder that starts from the seeds in tests/fuzz/corpus and grows from run to run.
# Prints one line per target (executions; executions per second of wall-clock and of processor
# time; corpus size) and fails when a
# target found a crash, a hang or a leak; the input that did it is kept in BUILD/fuzz/findings.
# usage: tests/fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
set -euo pipefail

build=${1:?build folder}
seconds=${2:?seconds per target}
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(image syscalls asm dis ini cmdline debuglink dap_messages dap_expression input_log); fi

# Longest input per target: a program image of the demos' size, an assembly source as long as
# the longest demo, a few system calls, a configuration file, a command line, some records.
declare -A max_len=([image]=2048 [syscalls]=2048 [asm]=8192 [dis]=1024 [ini]=2048
                    [cmdline]=512 [debuglink]=8192 [dap_messages]=4096 [dap_expression]=1024
                    [input_log]=4096)
declare -A dict=([syscalls]=syscalls.dict [asm]=asm.dict [ini]=ini.dict)

findings="$build/fuzz/findings"
mkdir -p "$findings"
# Targets run side by side, one per processor: each is single-threaded, so two cores fuzz two
# targets for the same seconds each in half the wall-clock time.
parallel=${FUZZ_JOBS:-$(nproc)}

# Runs one target and leaves its summary line in $build/fuzz/$t.line; fails when it found
# something.
fuzz_one() {
    local t=$1
    local exe="$build/fuzz/fuzz_$t"
    local work="$build/fuzz/corpus/$t"
    local log="$build/fuzz/$t.log"
    mkdir -p "$work"
    local args=(-max_total_time="$seconds" -max_len="${max_len[$t]}" -timeout=10
                -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/$t-")
    if [ -n "${dict[$t]:-}" ]; then args+=(-dict="$here/${dict[$t]}"); fi
    # The processor time the target used, beside libFuzzer's wall-clock rate: on a machine
    # shared with other work the two differ, and only the first says how fast the target is.
    local result=ok rc=0
    TIMEFORMAT='%U %S'
    if ! { time "$exe" "${args[@]}" "$work" "$here/corpus/$t" >"$log" 2>&1; } 2>"$log.cpu"; then
        result="FOUND SOMETHING (see $log)"
        rc=1
    fi
    local execs rate cpu per_cpu units
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    cpu=$(awk '{ printf "%.2f", $1 + $2 }' "$log.cpu")
    per_cpu=$(awk -v n="${execs:-0}" -v c="$cpu" 'BEGIN { if (c > 0) printf "%d", n / c; else print "?" }')
    units=$(ls "$work" | wc -l)
    printf '%-14s %9s runs %7s/s wall %7s/s cpu (%ss) %5s in corpus  %s\n' \
        "$t" "${execs:-?}" "${rate:-?}" "$per_cpu" "$cpu" "$units" "$result" >"$build/fuzz/$t.line"
    return $rc
}

status=0
running=0
for t in "${targets[@]}"; do
    if [ "$running" -ge "$parallel" ]; then
        wait -n || status=1
        running=$((running - 1))
    fi
    fuzz_one "$t" &
    running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
    wait -n || status=1
    running=$((running - 1))
done
for t in "${targets[@]}"; do cat "$build/fuzz/$t.line"; done
exit $status
