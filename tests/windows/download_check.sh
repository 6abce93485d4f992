#!/usr/bin/env bash
# The Windows download as `make windows-dist` packs it: the documentation is in it, beside the
# README that points to it, with Windows line ends.
#   download_check.sh SOURCE_DIR BUILD_DIR TMP_DIR
set -euo pipefail
source=$1 build=$2 tmp=$3
work=$(mktemp -d "$tmp/corvane-download-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$source/scripts/windows-dist.sh" "$build" "$work/corvane-windows.zip" >/dev/null
(cd "$work" && cmake -E tar xf corvane-windows.zip)
folder="$work/corvane-windows"
for doc in "$source"/docs/*; do
  [ -f "$folder/docs/$(basename "$doc")" ] || fail "the download lacks docs/$(basename "$doc")"
done
grep -q $'\r$' "$folder/docs/syscalls.md" || fail "docs/syscalls.md has no Windows line ends"
grep -q 'docs\\syscalls.md' "$folder/README.txt" || fail "the README does not point to the docs"
for exe in corvane corvane-run vrnasm vrndis vrncc vrndbg; do
  [ -f "$folder/$exe.exe" ] || fail "the download lacks $exe.exe"
done
echo "the Windows download holds the docs"
