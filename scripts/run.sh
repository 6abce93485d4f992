#!/usr/bin/env bash
# Starts the best front end that was built on the bundled showcase: the window when there is a
# display to show it on, else the headless runner.
set -euo pipefail
bin="${1:-build/default/bin}"
shift || true
image="$bin/showcase.vrn"
if [ -x "$bin/corvane" ] && [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$bin/corvane" "$image" "$@"
fi
if [ -x "$bin/corvane-run" ]; then
  echo "corvane: no window available here; running the showcase headless (corvane-run)." >&2
  exec "$bin/corvane-run" "$image" "$@"
fi
echo "corvane: nothing to run was built in $bin" >&2
exit 1
