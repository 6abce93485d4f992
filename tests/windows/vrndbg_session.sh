#!/usr/bin/env bash
# vrndbg.exe scripted through a pipe under Wine, on a virtual X server of its own:
#  - against corvane.exe over window messages: the attach, stops under the stop values -2, 0 and
#    N, the data area shown by x, then q (vrndbg ends, the simulator runs on until closed);
#  - against corvane.exe run free to the program's end: q still ends the session;
#  - against corvane.exe again, left waiting at a stop while its window is closed: the exit
#    notice ends the session;
#  - against corvane-run.exe (--runner) over its TCP link, to the program's end;
#  - with the compiler's debug information beside the image: break, continue and print at the
#    source level over window messages;
#  - a simulator that cannot load the image, or cannot be started, fails the session.
#   vrndbg_session.sh WINEPREFIX BIN_DIR PROBE_EXE VRNASM VRNCC SOURCE_DIR TMP_DIR
set -euo pipefail

prefix=$1 bin=$2 probe=$3 vrnasm=$4 vrncc=$5 source=$6 tmp=$7
source "$(dirname "$0")/wine_gui.sh"
dbg_pid=""
watched="dbg_pid"
before_cleanup() {
  exec 7>&- 2>/dev/null || true
  # A corvane.exe left open by a failed step.
  [ -n "$xvfb_pid" ] && "$scripts/wine-run.sh" "$prefix" "$probe" close >/dev/null 2>&1
}
wine_gui_begin vrndbg-session Xvfb
# vrndbg's output without Windows line ends and without the attach line's process number.
shown() { tr -d '\r' <"$1" | sed 's/^attached to process [0-9]*$/attached to process N/'; }
# expect NAME FILE: the output in FILE is the text on standard input.
expect() {
  local want
  want=$(cat)
  [ "$(shown "$2")" = "$want" ] || {
    diff <(echo "$want") <(shown "$2") >&2 || true
    fail "$1: vrndbg showed something else"
  }
}
# stops_at LINE FILE COUNT: FILE shows at least COUNT stops at LINE.
stops_at() { [ "$(grep -c "^stop at line $1 " "$2" 2>/dev/null || true)" -ge "$3" ]; }
corvane_gone() { ! wine_run "$probe" window >/dev/null 2>&1; }

start_xvfb

# A portable copy: vrndbg.exe starts the simulator beside it.
app="$work/app"
mkdir -p "$app"
cp "$bin/vrndbg.exe" "$bin/corvane.exe" "$bin/corvane-run.exe" "$bin/duzezi.dat" "$app/"
# main (function 3) calls inner (function 9) twice; each call counts at 0x2000.
cat >"$work/link.asm" <<'ASM'
COUNT = 0x2000
main:   SETSP 0x3000
        FUNC 3
        INITDATA 0x2000, 0x11, 0x00, 0xFE, 0xFF
        INITDATA 0x6FFC, 0xDE, 0xAD, 0xBE, 0xEF
        LINE 10
        CALL inner
        LINE 11
        CALL inner
        LINE 12
        EXIT
.proc inner
        FUNC 9
        LINE 20
        PUSH_D 0x40000 + COUNT
        PREINC
        POP_COND
        LINE 21
        RET
.endproc
ASM
"$vrnasm" "$work/link.asm" -o "$app/link.vrn" >/dev/null
image=$(winpath "$app/link.vrn")
cd "$app"

# 1. Window messages: the stops under 0 (the call runs through), -2 (into the call), N, the
# data area, q.
printf '%s\n' "x 0x2000 4" "c 0" "c -2" "c -2" "x 0x6FFC 4" "c 12" "x 0x2000 1" "q" | wine_run "$app/vrndbg.exe" "$image" >"$work/window.out" 2>"$work/window.err" ||
  fail "vrndbg.exe against corvane.exe ended with status $?"
expect "window messages" "$work/window.out" <<'OUT'
attached to process N
stop at line 10  function 3  fp 0x0000
0x2000: 11 00 FE FF
stop at line 11  function 3  fp 0x0000
stop at line 20  function 9  fp 0x3000
stop at line 21  function 9  fp 0x3000
0x6FFC: DE AD BE EF
stop at line 12  function 3  fp 0x0000
0x2000: 13
OUT
# After q the program ran free to its end; the simulator stays until its window is closed.
wine_run "$probe" window >/dev/null 2>&1 || fail "q ended corvane.exe"
wine_run "$probe" close || fail "no corvane.exe window to close"
wait_for 60 corvane_gone || fail "corvane.exe did not close"

# 1b. Run free to the end, then q: no stop can come any more, and q ends the session at once;
# the simulator stays until its window is closed.
printf '%s\n' "c -1" "q" | wine_run "$app/vrndbg.exe" "$image" >"$work/free.out" 2>"$work/free.err" &
dbg_pid=$!
dbg_ended() { ! kill -0 "$dbg_pid" 2>/dev/null; }
wait_for 120 dbg_ended || fail "q after running free to the end did not end vrndbg.exe"
status=0
wait "$dbg_pid" || status=$?
dbg_pid=""
[ "$status" -eq 0 ] || fail "vrndbg.exe ended with status $status after q"
expect "q after the end" "$work/free.out" <<'OUT'
attached to process N
stop at line 10  function 3  fp 0x0000
OUT
wine_run "$probe" window >/dev/null 2>&1 || fail "q ended corvane.exe"
wine_run "$probe" close || fail "no corvane.exe window to close"
wait_for 60 corvane_gone || fail "corvane.exe did not close"

# 2. A stop left waiting while the simulator's window is closed: the exit notice ends it.
mkfifo "$work/commands"
wine_run "$app/vrndbg.exe" --stop 20 "$image" <"$work/commands" >"$work/exit.out" 2>"$work/exit.err" &
dbg_pid=$!
exec 7>"$work/commands"
wait_for 120 stops_at 20 "$work/exit.out" 1 || fail "no first stop at line 20"
printf 'x 0x2000 1\nc 20\n' >&7
wait_for 60 stops_at 20 "$work/exit.out" 2 || fail "no second stop"
wine_run "$probe" close || fail "no corvane.exe window to close"
status=0
wait "$dbg_pid" || status=$?
dbg_pid=""
exec 7>&-
[ "$status" -eq 0 ] || fail "vrndbg.exe ended with status $status after the exit notice"
expect "the exit notice" "$work/exit.out" <<'OUT'
attached to process N
stop at line 20  function 9  fp 0x3000
0x2000: 11
stop at line 20  function 9  fp 0x3000
the simulator has ended
OUT
wait_for 60 corvane_gone || fail "corvane.exe did not end"

# 3. corvane-run.exe over its TCP link, to the end of the program.
printf '%s\n' "c 21" "x 0x2000 1" "c -1" |
  wine_run "$app/vrndbg.exe" --runner "$image" >"$work/runner.out" 2>"$work/runner.err" ||
  fail "vrndbg.exe --runner ended with status $?"
expect "--runner" "$work/runner.out" <<'OUT'
attached to process N
stop at line 10  function 3  fp 0x0000
stop at line 21  function 9  fp 0x3000
0x2000: 12
the simulator has ended
OUT

# 4. The source level: the compiler's debug information beside the image.
cp "$source/tests/debuglink/programs/walk.c" "$app/"
"$vrncc" -g walk.c -o walk.vrn 2>"$work/vrncc.err" || fail "vrncc -g walk.c"
[ -f walk.dbg ] || fail "vrncc -g wrote no walk.dbg"
printf '%s\n' "break sum_to" "c" "p n" "bt" "q" |
  wine_run "$app/vrndbg.exe" "$(winpath "$app/walk.vrn")" >"$work/source.out" 2>"$work/source.err" ||
  fail "vrndbg.exe on walk.vrn ended with status $?"
expect "source level" "$work/source.out" <<'OUT'
attached to process N
main () at walk.c:38
38	    Point *where = &corners[1];
Breakpoint 1 at walk.c:22
Breakpoint 1, sum_to (n=3) at walk.c:22
22	    if (n == 0)
n = 3
#0  sum_to (n=3) at walk.c:22
#1  main () at walk.c:44
OUT
wine_run "$probe" close || fail "no corvane.exe window to close"
wait_for 60 corvane_gone || fail "corvane.exe did not close"

# 5. A simulator that cannot load the program fails the session, and one that cannot be
# started does too.
printf 'not a program image' >"$app/bad.vrn"
status=0
printf 'q\n' | wine_run "$app/vrndbg.exe" "$(winpath "$app/bad.vrn")" >"$work/bad.out" \
  2>"$work/bad.err" || status=$?
[ "$status" -ne 0 ] || fail "vrndbg.exe reported a clean session for a bad image"
status=0
printf 'q\n' | wine_run "$app/vrndbg.exe" --sim nosuch.exe "$image" >"$work/nosim.out" \
  2>"$work/nosim.err" || status=$?
[ "$status" -eq 1 ] && grep -q "cannot start nosuch.exe" "$work/nosim.err" ||
  fail "a simulator that cannot be started: status $status"
echo "vrndbg.exe sessions passed"
