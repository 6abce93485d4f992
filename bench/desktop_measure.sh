#!/usr/bin/env bash
# Measures the desktop program under a virtual X server:
#   1. CPU use of the idle window (no program), over 10 s;
#   2. CPU use while a program waits for a key, over 10 s;
#   3. instructions per second of a busy program inside the window, against corvane-run on the
#      same program (both timed by the files the program itself writes when it starts and ends).
# Targets: idle under 2 % of a core; the window's rate within 10 % of the runner's.
# Run it on a quiet machine: other work on the same cores shows up in every figure.
#
# usage: bench/desktop_measure.sh [BIN_DIR] [ITERATIONS]
#   BIN_DIR     folder with corvane, corvane-run, vrnasm and duzezi.dat (default build/default/bin)
#   ITERATIONS  loop turns of the busy program, 4 instructions each (default 300000000)
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
bin=$(cd "${1:-$here/build/default/bin}" && pwd)
turns=${2:-300000000}
seconds=10
command -v Xvfb >/dev/null || { echo "desktop_measure: Xvfb is not installed" >&2; exit 1; }
for f in corvane corvane-run vrnasm duzezi.dat; do
  [[ -e $bin/$f ]] || { echo "desktop_measure: $bin/$f is missing (build it first)" >&2; exit 1; }
done

work=$(mktemp -d)
xpid=""
apid=""
cleanup() {
  if [[ -n $apid ]]; then kill "$apid" 2>/dev/null || true; wait "$apid" 2>/dev/null || true; fi
  if [[ -n $xpid ]]; then kill "$xpid" 2>/dev/null || true; wait "$xpid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The virtual X server picks a free display and says which.
mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/displayfd" 2>"$work/xvfb.log" &
xpid=$!
read -r -t 60 display <"$work/displayfd" || { echo "desktop_measure: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display"

cp "$bin/duzezi.dat" "$work/"
export CORVANE_HOME="$work" CORVANE_VIRTUAL_CLOCK=1 CORVANE_NO_MESSAGE_BOXES=1

cat >"$work/wait.s" <<'ASM'
        getchar
        EXIT
ASM
cat >"$work/busy.s" <<ASM
COUNT = 0x2000
LONG  = 0x40000
        PUSH_STR "start.txt"
        PUSH_STR "wb"
        fopen
        fclose
        PUSH_D LONG + COUNT
        PUSH_D $turns
        ASSIGN
        POP_COND
loop:   PUSH_D LONG + COUNT
        PREDEC
        POP_COND
        JNZ loop
        PUSH_STR "end.txt"
        PUSH_STR "wb"
        fopen
        fclose
        EXIT
ASM
"$bin/vrnasm" "$work/wait.s" -o "$work/wait.vrn"
"$bin/vrnasm" "$work/busy.s" -o "$work/busy.vrn"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# CPU use of corvane with the given arguments, in % of one core over $seconds s.
cpu_of() {
  "$bin/corvane" "$@" >"$work/out" 2>&1 &
  apid=$!
  sleep 2  # start-up is not part of the figure
  local a b
  a=$(ticks "$apid")
  sleep "$seconds"
  b=$(ticks "$apid")
  kill -TERM "$apid"
  wait "$apid" || true
  apid=""
  awk -v t=$((b - a)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * t / hz / s }'
}

# Seconds between the busy program's two files in folder $1.
elapsed() {
  local dir=$1 limit=$((SECONDS + 600))
  while [[ ! -e $dir/end.txt ]]; do
    ((SECONDS < limit)) || { echo "desktop_measure: the busy program did not end" >&2; exit 1; }
    sleep 0.05
  done
  local s e
  s=$(stat -c %.9Y "$dir/start.txt")
  e=$(stat -c %.9Y "$dir/end.txt")
  awk -v s="$s" -v e="$e" 'BEGIN { printf "%.6f", e - s }'
}

idle=$(cpu_of)
echo "idle window, no program:        ${idle} % of a core (target < 2 %)"
waiting=$(cpu_of "$work/wait.vrn")
echo "program waiting for a key:      ${waiting} % of a core (target < 2 %)"

# Best of three, window and runner taking turns, so that other work on the machine weighs on
# both alike.
instructions=$((4 * turns))
best_window=""
best_runner=""
faster() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
for round in 1 2 3; do
  rm -rf "$work/window" "$work/runner"
  mkdir -p "$work/window" "$work/runner"
  CORVANE_HOME="$work/window" "$bin/corvane" "$work/busy.vrn" >"$work/out" 2>&1 &
  apid=$!
  t=$(elapsed "$work/window")
  kill -TERM "$apid"
  wait "$apid" || true
  apid=""
  best_window=$(faster "$t" "$best_window")

  "$bin/corvane-run" "$work/busy.vrn" --root "$work/runner" --fonts "$bin/duzezi.dat" \
    --max-instructions $((instructions + 1000)) >/dev/null 2>&1 || true
  t=$(elapsed "$work/runner")
  best_runner=$(faster "$t" "$best_runner")
done

awk -v n="$instructions" -v w="$best_window" -v r="$best_runner" 'BEGIN {
  rw = n / w; rr = n / r
  printf "busy program in the window:     %.1f M instructions/s (best %.3f s)\n", rw / 1e6, w
  printf "same program in corvane-run:    %.1f M instructions/s (best %.3f s)\n", rr / 1e6, r
  printf "window / runner:                %.1f %% (target >= 90 %%)\n", 100 * rw / rr
}'
