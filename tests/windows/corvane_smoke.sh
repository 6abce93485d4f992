#!/usr/bin/env bash
# The smoke test of corvane.exe: under Wine on a virtual X server of its own, the window is found
# by class and title and has its size, place and region; the path of an image is read in every
# form Windows writes it ("/R path", quotes, a bare path); keys typed with xdotool reach a program
# waiting for one; F8 restarts the program; "窗口 2x" doubles the window and F12 saves it at that
# size, while "窗口 3x", too large for the screen, is not offered; Alt+Enter fills the screen
# without reaching the program as Enter; the right button opens the pop-up menu, whose Exit ends
# the program and writes vorn.ini, whose size, full screen and recent files the next start takes
# (the menu's items read back as shown); a message box stands over the middle of the window and a
# command repeated while it is up does not bring it back; a drag on the body moves the window; an
# image that is no program gives the load message and a failed exit status.
#   corvane_smoke.sh WINEPREFIX BIN_DIR PROBE_EXE VRNASM TMP_DIR
# With a sixth argument, DEBUGGER_EXE, it runs our test debugger against corvane.exe instead.
set -euo pipefail

prefix=$1 bin=$2 probe=$3 vrnasm=$4 tmp=$5 debugger=${6:-}
source "$(dirname "$0")/wine_gui.sh"
wine_gui_begin smoke Xvfb xdotool
watched="app_pid listener_pid bad_listener_pid"
# Room for the window at 2x (870 x 1170) but not at 3x (1305 x 1755).
sw=1920 sh=1200
start_xvfb "${sw}x${sh}"

# A portable copy: the root directory is the executable's folder.
app="$work/app"
mkdir -p "$app"
cp "$bin/corvane.exe" "$bin/duzezi.dat" "$app/"
# Line 1 says the program runs, line 2 that it got its key; our listener hears both.
cat >"$work/waits.asm" <<'ASM'
LINE 1
getchar
LINE 2
top: PUSH_W 1000
Delay
JMP top
ASM
"$vrnasm" "$work/waits.asm" -o "$app/waits.vrn" >/dev/null
printf 'not a program image' >"$app/bad.vrn"

if [ -n "$debugger" ]; then
  # main (function 65,541) calls inner (function 7) twice; INITDATA leaves a pattern at 0x6FF0.
  cat >"$work/link.asm" <<'ASM'
COUNT = 0x2000
LONG  = 0x40000
main:   SETSP 0x3000
        FUNC 65541
        INITDATA 0x6FF0, 0xDE, 0xAD, 0xBE, 0xEF
        LINE 10
        PUSH_D LONG + COUNT
        PUSH_B 0x11
        ASSIGN
        POP_COND
        LINE 11
        CALL inner
        LINE 12
        CALL inner
        LINE 13
        EXIT

.proc inner
        FUNC 7
        LINE 20
        PUSH_D LONG + COUNT
        PREINC
        POP_COND
        LINE 21
        RET
.endproc
ASM
  "$vrnasm" "$work/link.asm" -o "$app/link.vrn" >/dev/null
  wine_run "$debugger" "$(winpath "$app/corvane.exe")" "$(winpath "$app/link.vrn")" \
    2>"$work/debugger.err" | tr -d '\r' || fail "the debugger link"
  exit 0
fi
log="$work/listener.log"
listener_pid=""
stops() { grep -c "^stop $1\$" "$log" 2>/dev/null || true; }
seen() { [ "$(stops "$1")" -ge "$2" ]; }

# A program image that is none: the load message, and a failed start.
status=0
(cd "$app" && wine_run "$app/corvane.exe" "/R$(winpath "$app/bad.vrn")") \
  >"$work/bad.out" 2>"$work/bad.err" || status=$?
[ "$status" -ne 0 ] || fail "a bad image started"
grep -q "不是有效的Quillbox文件!" "$work/bad.err" || fail "no load message for a bad image"

# The path on the command line as the shell, "Open with" and players write it: each line names
# "my bad.vrn" (no program image), so a start that found the file says it is no valid image.
cp "$app/bad.vrn" "$app/my bad.vrn"
exe="\"$(winpath "$app/corvane.exe")\""
named=$(winpath "$app/my bad.vrn")
for line in "/R my bad.vrn" "\"/Rmy bad.vrn\"" "/R\"$named\"" "\"$named\"" "/Rmy bad.vrn"; do
  status=0
  (cd "$app" && wine_run "$probe" start "$exe $line") >"$work/form.out" 2>"$work/form.err" ||
    status=$?
  [ "$status" -ne 0 ] || fail "corvane.exe $line started"
  grep -q "不是有效的Quillbox文件!" "$work/form.err" ||
    fail "corvane.exe $line did not find the file: $(cat "$work/form.err")"
done

wine_run "$probe" listen "$(winpath "$log")" "$(winpath "$app/vorn.ini")" \
  2>"$work/listener.err" &
listener_pid=$!
wait_for 120 grep -qs '^window ' "$log" || fail "the listener made no window"
listener=$(grep '^window ' "$log" | head -n1 | tr -d '\r' | cut -d' ' -f2)
(cd "$app" && exec "$scripts/wine-run.sh" "$prefix" "$app/corvane.exe" "/W$listener" /S-2 \
  "/R$(winpath "$app/waits.vrn")") >"$work/app.out" 2>"$work/app.err" &
app_pid=$!

# The window from the Windows side.
geometry=""
probe_window() { geometry=$(wine_run "$probe" window 2>/dev/null) && [ -n "$geometry" ]; }
wait_for 180 probe_window || fail "no window of class MyCorvaneClass titled Corvane"
read -r x y w h corner_out middle_in <<<"$(echo "$geometry" | tr -d '\r')"
[ "$w" = 435 ] && [ "$h" = 585 ] || fail "window is ${w}x${h}, not 435x585"
x1=$(((sw - 435) / 2)) y1=$(((sh - 585) / 2))
[ "$x" = "$x1" ] && [ "$y" = "$y1" ] || fail "window at $x,$y is not centred"
[ "$corner_out" = 1 ] && [ "$middle_in" = 1 ] || fail "the window's region is not the outline"

# Keys typed on the X side reach the waiting program.
wait_for 60 seen 1 1 || fail "the program did not start"
xid=$(xdotool search --name '^Corvane$' | head -n1)
[ -n "$xid" ] || fail "no X window named Corvane"
press_until a seen 2 1 || fail "a typed key did not reach the program"

# F8 restarts the program: it passes line 1 again, and waits for a key anew.
press_until F8 seen 1 2 || fail "F8 did not restart the program"
seen 2 2 && fail "the restarted program did not wait for a key"

# "窗口 2x", as the menu gives it: the window doubles about its centre and keeps its shape, and
# F12 saves the picture at the size shown.
size_is() {
  probe_window || return 1
  read -r x y w h corner_out middle_in <<<"$(echo "$geometry" | tr -d '\r')"
  [ "$w" = "$1" ] && [ "$h" = "$2" ]
}
wine_run "$probe" command 40082 || fail "no window to give 窗口 2x"
wait_for 60 size_is 870 1170 || fail "after 窗口 2x the window is ${w}x${h}, not 870x1170"
[ $((x + w / 2)) -ge $((x1 + 217 - 1)) ] && [ $((x + w / 2)) -le $((x1 + 217 + 1)) ] ||
  fail "the 2x window at $x,$y left the centre of the 1x one"
[ "$y" -ge 0 ] && [ $((y + h)) -le "$sh" ] || fail "the 2x window at $x,$y leaves the screen"
[ "$corner_out" = 1 ] && [ "$middle_in" = 1 ] || fail "the 2x window's region is not the outline"
# 3x would not fit the screen: the size is not offered, and given anyway it changes nothing.
wine_run "$probe" command 40083 || fail "no window to give 窗口 3x"
sleep 2
size_is 870 1170 || fail "窗口 3x, too large for the screen, made the window ${w}x${h}"
shot=""
screenshot_taken() { for shot in "$app"/screenshots/corvane-*.png; do [ -s "$shot" ] && return 0; done; return 1; }
press_until F12 screenshot_taken || fail "F12 wrote no screenshot"
# The PNG's header holds its width and height as 32-bit big-endian numbers at bytes 16 and 20.
png_size=$(od -An -tu1 -j16 -N8 "$shot" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
[ "$png_size" = 870x1170 ] || fail "F12 saved a ${png_size} picture of the 870x1170 window"

# Alt+Enter fills the screen, and the waiting program does not take it for Enter; Enter alone
# still reaches it afterwards.
press_until alt+Return size_is "$sw" "$sh" || fail "Alt+Enter made the window ${w}x${h}, not the screen"
[ "$x" = 0 ] && [ "$y" = 0 ] || fail "the full screen is at $x,$y"
sleep 1
seen 2 2 && fail "Alt+Enter reached the program as Enter"
press_until Return seen 2 2 || fail "Enter did not reach the program after Alt+Enter"

# The right button opens the pop-up menu; its last item, "退出", ends the program.
rm -f "$app/vorn.ini"
xdotool mousemove --window "$xid" 217 500 click 3
wait_for 60 wine_run "$probe" menu || fail "the right button opened no menu"
# The menu takes keys once it tracks: Up highlights the last item, Return chooses it.
sleep 1
xdotool key Up
sleep 0.3
xdotool key Return
end=$((SECONDS + 60))
while kill -0 "$app_pid" 2>/dev/null; do
  [ "$SECONDS" -ge "$end" ] && fail "Exit did not end the program"
  sleep 0.2
done
status=0
wait "$app_pid" || status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "Exit ended with status $status"
wait_for 60 grep -q '^exit' "$log" || fail "no exit notice to the debugger window"
# The exit notice comes last: after the window is destroyed and vorn.ini is written.
grep -q '^exit window-gone config-written$' "$log" ||
  fail "the exit notice came before the window was gone and vorn.ini written: $(grep '^exit' "$log")"
[ -s "$app/vorn.ini" ] || fail "Exit wrote no vorn.ini beside the executable"
grep -q '^\[' "$app/vorn.ini" || fail "vorn.ini written by Exit has no section"
grep -q '^Size=2' "$app/vorn.ini" && grep -q '^Fullscreen=1' "$app/vorn.ini" ||
  fail "vorn.ini does not keep the size and the full screen"

# The next start takes the full screen from vorn.ini, and Alt+Enter brings back the 2x window.
# Its message boxes are shown.
(cd "$app" && CORVANE_NO_MESSAGE_BOXES=0 exec "$scripts/wine-run.sh" "$prefix" "$app/corvane.exe") \
  >"$work/again.out" 2>"$work/again.err" &
app_pid=$!
wait_for 180 size_is "$sw" "$sh" || fail "a start with Fullscreen=1 made a ${w:-no} x ${h:-no} window"
xid=$(xdotool search --name '^Corvane$' | head -n1)
press_until alt+Return size_is 870 1170 || fail "Alt+Enter from a full screen gave ${w}x${h}, not 2x"

# The recent list the first start wrote into vorn.ini, read back from the pop-up menu as shown:
# the program by its name, and no run of empty items drawn as separators.
xdotool mousemove --window "$xid" 400 1000 click 3
wait_for 60 wine_run "$probe" menu || fail "the right button opened no menu after the restart"
texts=""
menu_read() { texts=$(wine_run "$probe" menu-texts 2>/dev/null | tr -d '\r') && [ -n "$texts" ]; }
wait_for 30 menu_read ||
  fail "the open menu's items could not be read: $(wine_run "$probe" menu-texts 2>&1 | tr -d '\r')"
grep -qx $'0\t1 waits.vrn' <<<"$texts" || fail "no recent item '1 waits.vrn' after the restart: $texts"
grep -q $'^0\t$' <<<"$texts" && fail "the menu shows an item without text: $texts"
awk -F'\t' '$1 == 0 && $2 == "-" && last == "-" { bad = 1 } $1 == 0 { last = $2 } END { exit !bad }' \
  <<<"$texts" && fail "the menu shows separators in a row: $texts"
xdotool key Escape
menu_closed() { ! wine_run "$probe" menu; }
wait_for 30 menu_closed || fail "Escape did not close the menu"

# A message box stands over the middle of the window, wherever the window is, and a command
# repeated while it is up does not bring it back.
wine_run "$probe" command 40081 || fail "no window to give 窗口 1x"
wait_for 60 size_is 435 585 || fail "窗口 1x gave ${w}x${h}"
wine_run "$probe" move 40 150 || fail "the probe could not move the window"
wait_for 30 size_is 435 585 && [ "$y" = 150 ] || fail "the window is at $x,$y, not 40,150"
box=""
box_up() { box=$(wine_run "$probe" box 2>/dev/null | tr -d '\r') && [ -n "$box" ]; }
wine_run "$probe" command 40088 || fail "no window to give 关于Corvane..."
wait_for 60 box_up || fail "关于Corvane... showed no box"
read -r bx by bw bh <<<"$box"
middle=$((by + bh / 2))
[ "$middle" -ge $((150 + 292 - 1)) ] && [ "$middle" -le $((150 + 292 + 1)) ] ||
  fail "the box at $bx,$by (${bw}x${bh}) is not over the middle of the window at 40,150"
[ "$bx" -ge 0 ] && [ $((bx + bw)) -le "$sw" ] || fail "the box at $bx,$by (${bw}x${bh}) leaves the screen"
wine_run "$probe" command 40088 || fail "no window to give 关于Corvane... again"
sleep 1
wine_run "$probe" box-ok || fail "no box to close"
box_gone() { ! box_up; }
wait_for 30 box_gone || fail "the box did not close"
sleep 2
box_gone || fail "a command given while the box was up brought the box back"

# A press on the body, off the keys, drags the window along with the pointer.
xdotool mousemove --window "$xid" 200 320 mousedown 1
sleep 0.5
for _ in 1 2 3 4 5; do
  xdotool mousemove_relative 10 10
  sleep 0.2
done
xdotool mouseup 1
placed_at() {
  probe_window || return 1
  read -r x y w h corner_out middle_in <<<"$(echo "$geometry" | tr -d '\r')"
  [ "$x" = "$1" ] && [ "$y" = "$2" ]
}
wait_for 30 placed_at 90 200 || fail "a drag of 50,50 from 40,150 left the window at $x,$y"
wine_run "$probe" close || fail "no window to close"
wait "$app_pid" || fail "the second start did not end cleanly"
app_pid=""

# A debugger attached to a start that fails on a bad image hears the exit notice after the
# attach notice, rather than waiting for a stop that never comes.
bad_log="$work/bad-link.log"
wine_run "$probe" listen "$(winpath "$bad_log")" "$(winpath "$work/no-config")" \
  2>"$work/bad-listener.err" &
bad_listener_pid=$!
wait_for 120 grep -qs '^window ' "$bad_log" || fail "the second listener made no window"
bad_listener=$(grep '^window ' "$bad_log" | head -n1 | tr -d '\r' | cut -d' ' -f2)
status=0
(cd "$app" && wine_run "$app/corvane.exe" "/W$bad_listener" "/R$(winpath "$app/bad.vrn")") \
  >"$work/bad-link.out" 2>"$work/bad-link.err" || status=$?
[ "$status" -ne 0 ] || fail "a bad image started under the debugger"
wait_for 60 grep -q '^exit' "$bad_log" || fail "a failed start sent no exit notice to the debugger"
grep -q '^exit window-gone' "$bad_log" || fail "a failed start sent its exit notice with its window up"
grep -q '^attach' "$bad_log" || fail "a failed start sent no attach notice before its exit notice"
wait "$bad_listener_pid" 2>/dev/null || true
echo "corvane.exe smoke test passed"
