#!/bin/sh
# Makes the trees of Unix symbolic links that the Windows file root's cases look at under Wine,
# where a Windows program cannot make such a link itself: make_unix_links.sh DIR. Each run starts
# from nothing, so what one run's cases wrote is gone in the next.
set -eu
dir=$1
rm -rf "$dir"
# Links that lead out of the root, to a file and to a folder, and one that stays inside.
out=$dir/out
mkdir -p "$out/root/inner" "$out/outside"
printf s >"$out/outside/secret"
printf ok >"$out/root/inner/ok"
ln -s "$out/outside/secret" "$out/root/file-link"
ln -s "$out/outside" "$out/root/dir-link"
ln -s "$out/root/inner" "$out/root/inner-link"
# A link to nothing yet, outside the root.
dangling=$dir/dangling
mkdir -p "$dangling/root/sub" "$dangling/outside"
ln -s "$dangling/outside/not-yet" "$dangling/root/sub/dangling"
