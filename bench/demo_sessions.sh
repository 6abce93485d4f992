#!/usr/bin/env bash
# Host instructions of whole demo sessions through corvane-run, counted by callgrind (the same on
# a busy machine as on a quiet one): each demo runs under the same scripted keys for the same
# number of frames of virtual time, so every build given does the same machine work, and the
# counts compare the builds' cost of it: the interpreter, the system calls and the runner's own
# work per frame (presenting the LCD, the keyboard scan, the rewind states, the menu's sync).
# Three figures a demo: the whole process, start-up (the same run stopped at frame 1) and
# `run` (the interpreter and the system calls alone).
# usage: bench/demo_sessions.sh <images folder> <build folder>...
#   e.g. bench/demo_sessions.sh BASE/build/default/bin BASE/build/default build/default
# The font data file is $CORVANE_FONTS, else taken from the first build that has one.
set -euo pipefail
if [ $# -lt 2 ]; then
    echo "usage: $0 <images folder> <build folder>..." >&2
    exit 2
fi
images=$1
shift
command -v valgrind >/dev/null || { echo "valgrind is not installed (scripts/setup.sh)" >&2; exit 1; }
fonts=${CORVANE_FONTS:-}
for build in "$@"; do
    [ -x "$build/bin/corvane-run" ] || { echo "build corvane-run in $build first" >&2; exit 1; }
    [ -z "$fonts" ] && [ -f "$build/bin/duzezi.dat" ] && fonts=$build/bin/duzezi.dat
done
[ -n "$fonts" ] || { echo "no duzezi.dat in the builds given" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

frames=${DEMO_FRAMES:-1200}
# Keys `key` every `period` frames from frame `first`, as --keys wants them.
every() {
    local first=$1 period=$2 key=$3 out="" f
    for ((f = first; f < frames; f += period)); do out+="$f:$key "; done
    echo "$out"
}
# A demo's keys: a user who keeps it busy for the whole session.
keys_of() {
    case $1 in
        console | draw) every 40 60 space ;;
        keys) echo "$(every 5 10 a) $(every 7 30 up)" ;;
        snake) echo "$(every 30 100 enter) $(every 50 25 left) $(every 62 25 up)" ;;
        files) every 40 30 space ;;
        clock) echo "" ;;
        # From the menu into the next demo, two pages, and back.
        showcase) echo "$(every 10 120 down) $(every 20 120 enter) $(every 50 120 space)" \
            "$(every 80 120 space) $(every 110 120 esc)" ;;
    esac
}

# Instructions of the whole process and of `run` for one session.
count() {
    local runner=$1 demo=$2 last=$3 keys
    keys=$(keys_of "$demo")
    mkdir -p "$work/root"
    printf 'Hello file list\nsecond line\n' >"$work/root/hello.txt"
    local args=(--fonts "$fonts" --root "$work/root" --max-frames "$last"
        --date 2024-05-17T13:45:50 --dialog "$work/root/hello.txt" --dialog cancel)
    [ -n "$keys" ] && args+=(--keys "$keys")
    valgrind --tool=callgrind --callgrind-out-file="$work/out" "$runner" "${args[@]}" \
        "$images/$demo.vrn" >/dev/null 2>"$work/log" || true
    rm -rf "$work/root"
    local all run
    all=$(sed -n 's/.*Collected : *\([0-9]*\).*/\1/p' "$work/log")
    # awk reads to the end, so that the annotation never stops on a closed pipe.
    run=$(callgrind_annotate --inclusive=yes "$work/out" 2>/dev/null |
        awk '!found && /corvane::run\(corvane::Machine&, unsigned long\)/ {
            gsub(",", "", $1); print $1; found = 1 }')
    echo "$all ${run:-0}"
}

printf '%-9s %-40s %15s %13s %15s\n' demo build process start-up run
for demo in showcase snake clock draw keys console files; do
    for build in "$@"; do
        read -r all run < <(count "$build/bin/corvane-run" "$demo" "$frames")
        read -r start _ < <(count "$build/bin/corvane-run" "$demo" 1)
        printf '%-9s %-40s %15s %13s %15s\n' "$demo" "$build" "$all" "$start" "$run"
    done
done
