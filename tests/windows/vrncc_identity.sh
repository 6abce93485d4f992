#!/usr/bin/env bash
# vrncc.exe under Wine compiles every program of the compiler's corpus to the very image the
# build machine's own vrncc makes of it, without and with -g; the debug information is the same
# too, apart from the paths it records (the folder it ran in, where the runtime library lies).
#   vrncc_identity.sh WINEPREFIX BIN_DIR NATIVE_VRNCC PROGRAMS_DIR TMP_DIR
set -euo pipefail

prefix=$1 bin=$2 native=$3 programs=$4 tmp=$5
scripts=${CORVANE_SCRIPTS:?}

work=$(mktemp -d "$tmp/vrncc-identity-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/native" "$work/windows"
winpath() { echo "Z:$1" | tr / '\\'; }

# Both compilers get the same relative source names from the programs' folder, so __FILE__ and
# the program's own file record are spelled alike. All vrncc.exe runs go into one batch file:
# one start of Wine instead of one for each program.
cd "$programs"
names=()
batch="$work/compile.cmd"
printf '@echo off\r\n' >"$batch"
for src in *.c; do
  name=${src%.c}
  names+=("$name")
  # A program's own flags, as the corpus test compiles it with them ("-w" for a random program).
  own=""
  if [ -f "$name.flags" ]; then own="$(tr -s ' \n' ' ' <"$name.flags")"; fi
  "$native" $own "$src" -o "$work/native/$name.vrn"
  "$native" $own -g "$src" -o "$work/native/$name-g.vrn"
  for flag in "" "-g "; do
    suffix=${flag:+-g}
    printf '"%s" %s%s%s -o "%s" 2>>"%s"\r\nif errorlevel 1 echo FAILED %s%s>>"%s"\r\n' \
      "$(winpath "$bin/vrncc.exe")" "$own" "$flag" "$src" "$(winpath "$work/windows/$name$suffix.vrn")" \
      "$(winpath "$work/errors.txt")" "$name" "$suffix" "$(winpath "$work/errors.txt")" >>"$batch"
  done
done
TMP=$(winpath "$tmp") TEMP=$(winpath "$tmp") "$scripts/wine-run.sh" "$prefix" cmd /c "$(winpath "$batch")"
if [ -s "$work/errors.txt" ]; then
  echo "FAIL: vrncc.exe reported errors:" >&2
  cat "$work/errors.txt" >&2
  exit 1
fi

# The debug information with its paths cut down to the files' own names.
comparable() {
  sed -e '/^dir /d' -e 's/\r$//' -e 's#^\(file [0-9]*\) .*[/\\]\([^/\\]*\)$#\1 \2#' "$1"
}
failed=0
for name in "${names[@]}"; do
  for suffix in "" "-g"; do
    if ! cmp -s "$work/native/$name$suffix.vrn" "$work/windows/$name$suffix.vrn"; then
      echo "FAIL: $name$suffix.vrn differs between vrncc and vrncc.exe" >&2
      failed=1
    fi
  done
  if ! diff <(comparable "$work/native/$name-g.dbg") <(comparable "$work/windows/$name-g.dbg") >&2
  then
    echo "FAIL: $name-g.dbg differs between vrncc and vrncc.exe (above: native < > Windows)" >&2
    failed=1
  fi
done
[ "$failed" = 0 ] || exit 1
echo "${#names[@]} programs: the same images and debug information from vrncc and vrncc.exe"
