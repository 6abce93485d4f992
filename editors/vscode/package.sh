#!/bin/sh
# Packages the editor extension into OUT (a .vsix) with the packager its lock file pins. The
# packager is installed with `npm ci` into STAGE, outside the source tree, and only when the lock
# file has changed since the last install there.
# Usage: package.sh OUT [STAGE]   (STAGE: build/vscode-node of the clone by default)
set -eu
here=$(cd "$(dirname "$0")" && pwd)
[ $# -ge 1 ] || { echo "usage: $0 OUT.vsix [STAGE]" >&2; exit 2; }
mkdir -p "$(dirname "$1")"
out=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
stage=${2:-$here/../../build/vscode-node}
mkdir -p "$stage"
stage=$(cd "$stage" && pwd)

if ! cmp -s "$here/package-lock.json" "$stage/node_modules/.corvane-lock"; then
  cp "$here/package.json" "$here/package-lock.json" "$stage/"
  # The optional keytar (credentials, for publishing) would build native code: packaging needs none.
  (cd "$stage" && npm ci --no-audit --no-fund --loglevel=error --omit=optional)
  cp "$here/package-lock.json" "$stage/node_modules/.corvane-lock"
fi

# The extension has no modules of its own at run time, and no licence or repository to name.
cd "$here"
node "$stage/node_modules/@vscode/vsce/vsce" package --no-dependencies --skip-license \
  --allow-missing-repository --out "$out"
