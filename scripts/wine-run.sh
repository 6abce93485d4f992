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

# Now and then Wine's client fails to reach its server as another test's program starts or ends
# ("wine client error:0: recvmsg: Connection reset by peer"), before the program has run at all:
# such a start is made again. The program's standard error passes through a file so that this
# failure can be told from the program's own; a TERM or INT for the wrapper goes on to Wine.
errors=$(mktemp /tmp/corvane-wine-XXXXXX)
child=
trap 'rm -f "$errors"' EXIT
trap '[ -n "$child" ] && kill -TERM "$child" 2>/dev/null' TERM INT
for attempt in 1 2 3 4 5; do
  # A job started with & reads /dev/null unless its input is named: it keeps the caller's.
  wine "$@" <&0 2>"$errors" &
  child=$!
  while :; do
    status=0
    wait "$child" || status=$?
    kill -0 "$child" 2>/dev/null || break
  done
  child=
  if [ "$status" -ne 0 ] && [ "$attempt" -lt 5 ] && grep -q '^wine client error' "$errors"; then
    echo "wine-run.sh: Wine's client did not reach its server; starting again" >&2
    sleep 1
    continue
  fi
  cat "$errors" >&2
  exit "$status"
done
