#!/usr/bin/env bash
# Packs the Windows build into a zip for Windows users: windows-dist.sh BUILD_DIR OUTPUT.zip
# The folder in the zip holds the executables, the font data file, the demos, the C compiler's
# headers and runtime library (vrncc/), the documentation (docs/: the system calls, assembly, C,
# keys, the debugger) and the README, and nothing else; it runs from wherever it is unpacked
# (its own folder is the root directory).
set -euo pipefail
build=$1
out=$(realpath -m "$2")
bin="$build/bin"
name=corvane-windows
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/$name"
for exe in corvane corvane-run vrnasm vrndis vrncc vrndbg; do
  [ -f "$bin/$exe.exe" ] || { echo "windows-dist: $bin/$exe.exe is missing" >&2; exit 1; }
  cp "$bin/$exe.exe" "$stage/$name/"
done
cp "$bin/duzezi.dat" "$bin"/*.vrn "$stage/$name/"
[ -f "$bin/vrncc/include/stdio.h" ] || { echo "windows-dist: $bin/vrncc/ is missing" >&2; exit 1; }
mkdir "$stage/$name/vrncc"
cp -r "$bin/vrncc/include" "$bin/vrncc/runtime" "$bin/vrncc/libm" "$stage/$name/vrncc/"
cp "$(dirname "$0")/../resources/windows/README.txt" "$stage/$name/README.txt"
mkdir "$stage/$name/docs"
cp "$(dirname "$0")"/../docs/*.md "$(dirname "$0")"/../docs/*.png "$stage/$name/docs/"
# Windows users open texts with Notepad: CRLF line ends.
sed -i 's/$/\r/' "$stage/$name/README.txt" "$stage/$name"/docs/*.md
rm -f "$out"
(cd "$stage" && cmake -E tar cf "$out" --format=zip "$name")
echo "$out"
