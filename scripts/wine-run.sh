#!/usr/bin/env bash
# Runs a Windows executable of the cross build under Wine: wine-run.sh PREFIX PROGRAM ARGS...
# The Wine prefix is made once (it takes about 20 s) and shared by every test of the run; the
# lock keeps two tests started together from both making it.
set -euo pipefail

prefix=$1
shift
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# Wine keeps its server's socket under TMPDIR, and the server outlives the test: not in the
# tests' own temporary folder, which must be empty afterwards (programs get TMP and TEMP).
unset TMPDIR
# Wine's own helpers must not wait for a window system that is not there.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

if [ ! -f "$prefix/.corvane-ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/.corvane-ready" ]; then
    rm -rf "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    # Without a window manager a managed window makes every DestroyWindow wait two seconds.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    # Wine gives a program TEMP and TMP from the prefix's registry, never from the environment
    # it was started in: a prefix made for the tests takes their folder (a Windows path) in, so
    # what a Windows program leaves there is seen as a Linux program's would be.
    case "${TMP:-}" in
      [A-Za-z]:\\*)
        wine reg add 'HKCU\Environment' /v TEMP /d "$TMP" /f >/dev/null 2>&1
        wine reg add 'HKCU\Environment' /v TMP /d "$TMP" /f >/dev/null 2>&1
        ;;
    esac
    wineserver -w || true
    touch "$prefix/.corvane-ready"
  fi
  exec 9>&-
fi

exec wine "$@"
