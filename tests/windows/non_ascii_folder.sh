#!/usr/bin/env bash
# Corvane unpacked into a folder named in Chinese, as a user's own folders often are: vrncc.exe,
# vrnasm.exe and vrndis.exe read and write files named in Chinese there, corvane-run.exe and
# corvane.exe start with that folder as their root, find the font data file, load an image
# named in Chinese and let the program make files in it, named in GB2312 by the program.
#   non_ascii_folder.sh WINEPREFIX BIN_DIR TMP_DIR
set -euo pipefail

prefix=$1 bin=$2 tmp=$3
source "$(dirname "$0")/wine_gui.sh"
wine_gui_begin names Xvfb
start_xvfb
# Wine takes the arguments below, given as UTF-8, from the locale.
export LC_ALL=C.UTF-8

dir="$work/下载 文件/掌机"
mkdir -p "$dir"
cp "$bin/corvane.exe" "$bin/corvane-run.exe" "$bin/vrncc.exe" "$bin/vrnasm.exe" \
  "$bin/vrndis.exe" "$bin/duzezi.dat" "$dir/"
cp -r "$bin/vrncc" "$dir/"
cd "$dir"

# The program writes "记录.txt" (its name in GB2312) into the root and shows a line.
printf '#define WORD "ok"\n' >"定义.h"
cat >"程序.c" <<'C'
#include <stdio.h>
#include "定义.h"

int main(void) {
    FILE* f = fopen("/\xbc\xc7\xc2\xbc.txt", "w");
    if (f) {
        fputs(WORD, f);
        fclose(f);
    }
    printf("done\n");
    for (;;) getchar();
    return 0;
}
C
wine_run "$dir/vrncc.exe" -g "程序.c" -o "程序.vrn" >"$work/vrncc.out" 2>"$work/vrncc.err" ||
  fail "vrncc.exe could not compile 程序.c"
[ -s "程序.vrn" ] && [ -s "程序.dbg" ] || fail "vrncc.exe wrote no 程序.vrn and 程序.dbg"
grep -q "程序.c" "程序.dbg" || fail "the debug information does not name 程序.c"

printf 'VALUE = 7\n' >"常量.inc"
printf '.include "常量.inc"\n        PUSH_B VALUE\n        EXIT\n' >"汇编.s"
wine_run "$dir/vrnasm.exe" "汇编.s" >"$work/vrnasm.out" 2>"$work/vrnasm.err" ||
  fail "vrnasm.exe could not assemble 汇编.s"
[ -s "汇编.vrn" ] || fail "vrnasm.exe wrote no 汇编.vrn beside its source"

wine_run "$dir/vrndis.exe" "汇编.vrn" -o "列表.txt" >"$work/vrndis.out" 2>"$work/vrndis.err" ||
  fail "vrndis.exe could not list 汇编.vrn"
grep -qi "EXIT" "列表.txt" || fail "vrndis.exe's 列表.txt holds no listing"

# corvane-run.exe with the folder as its root, given on the command line.
wine_run "$dir/corvane-run.exe" "程序.vrn" --root "$(winpath "$dir")" --max-frames 100 \
  --lcd "画面.png" >"$work/run.out" 2>"$work/run.err" || true
[ -s "画面.png" ] || fail "corvane-run.exe wrote no 画面.png"
[ "$(cat "记录.txt" 2>/dev/null)" = ok ] || fail "the program's 记录.txt is not in the root"
rm -f "记录.txt"

# corvane.exe: the root is its own folder.
"$scripts/wine-run.sh" "$prefix" "$dir/corvane.exe" "/R程序.vrn" >"$work/app.out" 2>"$work/app.err" &
app_pid=$!
wait_for 180 test -s "记录.txt" || fail "corvane.exe did not run 程序.vrn in its own folder"
[ "$(cat "记录.txt")" = ok ] || fail "corvane.exe's program wrote the wrong 记录.txt"
kill "$app_pid" 2>/dev/null || true
wait "$app_pid" 2>/dev/null || true
app_pid=""
echo "the programs work in a folder named in Chinese"
