#!/usr/bin/env bash
# Runs the web site's tests (every tests/web/*.test.js, one file at a time): installs
# puppeteer-core as the lock file pins it (into the build tree), then node's test runner drives
# headless Chromium over the site.
# usage: tests/web/run.sh <site folder> <native bin folder with corvane-run and vrncc>
set -euo pipefail
if [ $# -ne 2 ]; then
    echo "usage: $0 <site folder> <native bin folder>" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
site=$(cd "$1" && pwd)
bin=$(cd "$2" && pwd)
modules="$site/../node"
cmake -DSOURCE="$here" -DDEST="$modules" -DNPM="$(command -v npm)" -P "$here/../dap/npm_ci.cmake"
export CORVANE_SITE="$site" CORVANE_BIN="$bin" NODE_PATH="$modules/node_modules"
export CORVANE_CHROMIUM="${CORVANE_CHROMIUM:-/usr/bin/chromium}"
exec node --test --test-concurrency=1 "$here"/*.test.js
