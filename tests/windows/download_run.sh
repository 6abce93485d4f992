#!/usr/bin/env bash
# The Windows download as a user gets it: the zip of scripts/windows-dist.sh unpacked into a
# fresh folder and run from there under Wine. corvane-run.exe plays a bundled demo with the font
# data file beside it and says the host's texts in either language; vrncc.exe compiles a program
# with the headers in the folder; corvane.exe runs it with the folder as its root, where the
# program writes its file and corvane.exe its vorn.ini.
#   download_run.sh WINEPREFIX SOURCE_DIR BUILD_DIR TMP_DIR
set -euo pipefail

prefix=$1 source=$2 build=$3 tmp=$4
source "$(dirname "$0")/wine_gui.sh"
wine_gui_begin download Xvfb
start_xvfb

"$source/scripts/windows-dist.sh" "$build" "$work/corvane-windows.zip" >/dev/null
mkdir "$work/fresh"
(cd "$work/fresh" && cmake -E tar xf ../corvane-windows.zip)
dir="$work/fresh/corvane-windows"
cd "$dir"

# A bundled demo, headless, until the frame limit; its LCD is written.
status=0
wine_run "$dir/corvane-run.exe" snake.vrn --max-frames 120 --lcd snake.png \
  >"$work/demo.out" 2>"$work/demo.err" || status=$?
[ "$status" -eq 2 ] || fail "corvane-run.exe ended snake.vrn with status $status, not 2"
[ -s snake.png ] || fail "corvane-run.exe wrote no picture of snake.vrn"

# The host's texts are in the executable, in both languages.
for lang in zh en; do
  status=0
  wine_run "$dir/corvane-run.exe" --lang "$lang" missing.vrn \
    >"$work/lang-$lang.out" 2>"$work/lang-$lang.err" || status=$?
  [ "$status" -eq 1 ] || fail "corvane-run.exe --lang $lang with a missing image: status $status"
done
grep -q "无法打开Quillbox文件!" "$work/lang-zh.err" || fail "no Chinese message from --lang zh"
grep -q "Cannot open the Quillbox file!" "$work/lang-en.err" || fail "no English message from --lang en"

# A program of the user's own, compiled with the folder's headers and run by corvane.exe.
cat >hello.c <<'C'
#include <stdio.h>

int main(void) {
    FILE* f = fopen("/made.txt", "w");
    if (f) {
        fputs("ok", f);
        fclose(f);
    }
    printf("hello\n");
    for (;;) getchar();
    return 0;
}
C
wine_run "$dir/vrncc.exe" hello.c -o hello.vrn >"$work/vrncc.out" 2>"$work/vrncc.err" ||
  fail "vrncc.exe could not compile hello.c with the download's headers"
[ -s hello.vrn ] || fail "vrncc.exe wrote no hello.vrn"

"$scripts/wine-run.sh" "$prefix" "$dir/corvane.exe" "/Rhello.vrn" >"$work/app.out" 2>"$work/app.err" &
app_pid=$!
wait_for 180 test -s made.txt || fail "corvane.exe did not run hello.vrn from the unpacked folder"
[ "$(cat made.txt)" = ok ] || fail "the program wrote the wrong made.txt"
wait_for 30 test -f vorn.ini || fail "corvane.exe made no vorn.ini in its folder"
echo "the unpacked download runs"
