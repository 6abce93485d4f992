#!/usr/bin/env bash
# Starts the best front end that was built on the bundled showcase: the window when there is a
# display to show it on, else the headless runner.
#
# The user's files (saved scores, vorn.ini, screenshots) go to $CORVANE_HOME, by default the
# same folder an installed copy uses, so they survive `make clean` and a fresh build tree.
set -euo pipefail
bin="${1:-build/default/bin}"
shift || true
image="$bin/showcase.vrn"
export CORVANE_HOME="${CORVANE_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/corvane}"
mkdir -p "$CORVANE_HOME"
# Where a newcomer goes next: their own program, in C.
echo "corvane: your own program: $bin/vrncc hello.c -o hello.vrn && $bin/corvane hello.vrn" \
  "(the C dialect and a tutorial: docs/c.md)" >&2
if [ -x "$bin/corvane" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/corvane" "$image" "$@"
fi
if [ -x "$bin/corvane-run" ]; then
  # No display: run the showcase headless for two seconds of machine time and keep its screen.
  mkdir -p "$CORVANE_HOME/screenshots"
  shot="$CORVANE_HOME/screenshots/showcase-screen.png"
  echo "corvane: no display here; running the showcase headless with corvane-run." >&2
  status=0
  "$bin/corvane-run" "$image" --max-frames 120 --window "100:$shot" "$@" || status=$?
  # 2 means the frame limit was reached or the showcase waits for a key: the expected outcome.
  if [ "$status" -ne 0 ] && [ "$status" -ne 2 ]; then exit "$status"; fi
  echo "corvane: the window as it looked is in $shot (with a display, make run opens it)." >&2
  exit 0
fi
echo "corvane: nothing to run was built in $bin" >&2
exit 1
