#!/usr/bin/env bash
# Pictures made on Windows, under Wine: F12 in corvane.exe writes screenshots\corvane-*.png beside
# the executable, a PNG of the window as shown; F11 starts and stops a GIF recording of the LCD in
# recordings\; corvane-run.exe --record writes one too. A checker of ours decodes each and looks
# at its size and at pixels the program drew.
#   capture_smoke.sh WINEPREFIX BIN_DIR CHECK_EXE VRNASM TMP_DIR
set -euo pipefail

prefix=$1 bin=$2 check=$3 vrnasm=$4 tmp=$5
source "$(dirname "$0")/wine_gui.sh"
wine_gui_begin capture Xvfb xdotool
# check FILE WIDTH HEIGHT ARGS...: the checker's verdict on FILE, its report kept in check.out.
check() {
  local file=$1
  shift
  wine_run "$check" "$(winpath "$file")" "$@" 2>/dev/null | tr -d '\r' >"$work/check.out"
}
only_file() { local f; for f in "$1"/$2; do [ -f "$f" ] && { echo "$f"; return 0; }; done; return 1; }

# The first four pixels of the LCD's top row stay dark; a pixel in row 40 blinks four times a
# second, so a recording has a new picture every quarter of a second.
cat >"$work/blink.asm" <<'ASM'
INITDATA 0x18C0
.byte 0xF0
.enddata
top: INITDATA 0x1BE0
.byte 0x80
.enddata
PUSH_W 250
Delay
INITDATA 0x1BE0
.byte 0x00
.enddata
PUSH_W 250
Delay
JMP top
ASM
app="$work/app"
mkdir -p "$app"
cp "$bin/corvane.exe" "$bin/corvane-run.exe" "$bin/duzezi.dat" "$app/"
"$vrnasm" "$work/blink.asm" -o "$app/blink.vrn" >/dev/null

# The LCD shows device pixel (x, y) as the 2 x 2 block at window (54 + 2x, 43 + 2y); a recording
# of the LCD at scale 2 has it at (2x, 2y).
dark=000000 green=00C000
window_pixels=(54,43=$dark 61,44=$dark 62,43=$green 54,45=$green)
lcd_pixels=(0,0=$dark 7,1=$dark 8,0=$green 0,2=$green)

start_xvfb

# corvane-run.exe --help speaks of what Windows does, not of POSIX variables, folders and signals.
wine_run "$app/corvane-run.exe" --help >"$work/help.out" 2>"$work/help.err" || fail "corvane-run.exe --help"
grep -q '%CORVANE_HOME%' "$work/help.out" && grep -q 'Ctrl+C' "$work/help.out" ||
  fail "corvane-run.exe --help does not say what Windows does"
! grep -E '\$CORVANE_HOME|share/corvane|SIGHUP' "$work/help.out" >&2 ||
  fail "corvane-run.exe --help speaks of POSIX"

# corvane-run.exe: one second of the program, recorded.
mkdir -p "$work/root"
status=0
wine_run "$app/corvane-run.exe" "$(winpath "$app/blink.vrn")" --root "$(winpath "$work/root")" \
  --fonts "$(winpath "$app/duzezi.dat")" --max-frames 60 --record "$(winpath "$work/run.gif")" \
  >"$work/run.out" 2>"$work/run.err" || status=$?
[ "$status" -eq 2 ] || fail "corvane-run.exe --record ended with status $status, not 2 (the frame limit)"
check "$work/run.gif" 320 160 --frames 4 "${lcd_pixels[@]}" || fail "corvane-run.exe's recording: $(cat "$work/check.out")"
echo "corvane-run.exe: $(head -n1 "$work/check.out")"

export CORVANE_NO_MESSAGE_BOXES=1 CORVANE_VIRTUAL_CLOCK=1
# vorn.ini is a symbolic link made on the Linux side, to an empty file: the frequency that start-up
# writes goes through the profile functions into the file linked to, and the link stays.
mkdir -p "$work/settings"
: >"$work/settings/vorn.ini"
ln -s "$work/settings/vorn.ini" "$app/vorn.ini"
(cd "$app" && exec "$scripts/wine-run.sh" "$prefix" "$app/corvane.exe" "/R$(winpath "$app/blink.vrn")") \
  >"$work/app.out" 2>"$work/app.err" &
app_pid=$!
xid=""
find_window() { xid=$(xdotool search --name '^Corvane$' 2>/dev/null | head -n1) && [ -n "$xid" ]; }
wait_for 180 find_window || fail "no X window named Corvane"
grep -q '^Frequency=1000' "$work/settings/vorn.ini" || fail "start-up wrote no frequency into the linked vorn.ini"
[ -L "$app/vorn.ini" ] || fail "writing vorn.ini replaced its symbolic link"

# F12: a screenshot of the window beside the executable.
shot=""
screenshot_taken() { shot=$(only_file "$app/screenshots" 'corvane-*.png'); }
press_until F12 screenshot_taken || fail "F12 wrote no screenshots\\corvane-*.png beside corvane.exe"
wait_for 30 check "$shot" 435 585 "${window_pixels[@]}" ||
  fail "the screenshot: $(cat "$work/check.out")"
echo "corvane.exe F12: $(head -n1 "$work/check.out")"

# F11 starts a recording and F11 again ends it; the file is whole once it ends.
recording=""
recording_started() { recording=$(only_file "$app/recordings" 'blink-*.gif'); }
press_until F11 recording_started || fail "F11 started no recording in recordings\\"
sleep 2
recording_whole() { check "$recording" 320 160 --frames 4 "${lcd_pixels[@]}"; }
press_until F11 recording_whole || fail "corvane.exe's recording: $(cat "$work/check.out")"
echo "corvane.exe F11: $(head -n1 "$work/check.out")"
echo "captures on Windows passed"
