# What the Wine tests that open windows share, sourced by each once it has set `prefix` (its Wine
# prefix) and `tmp` (the tests' temporary folder):
#   wine_gui_begin NAME TOOL...  skips the test (status 0) when a tool is missing, makes $work
#                                and ends, at exit, the processes whose ids are held by the
#                                variables named in $watched, then the X server, then $work;
#                                a function `before_cleanup`, when defined, runs first
#   start_xvfb [WxH]             a virtual X server of the test's own, as DISPLAY, its screen
#                                WxH (1024x768 unless given)
#   fail TEXT                    says TEXT and shows the logs in $work
#   wait_for SECONDS COMMAND...  true once COMMAND succeeds, false when the time is up
#   press_until KEY COMMAND...   types KEY into the X window $xid until COMMAND succeeds
#   winpath PATH, wine_run PROGRAM ARGS...
# Every wait has a generous limit and looks at what the programs did, never at the time alone.
scripts=${CORVANE_SCRIPTS:?}
xvfb_pid=""
app_pid=""
watched="app_pid"

wine_gui_begin() {
  local name=$1 tool
  shift
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 0; }
  done
  work=$(mktemp -d "$tmp/corvane-$name-XXXXXX")
  trap wine_gui_cleanup EXIT
}

wine_gui_cleanup() {
  local name pid
  if declare -F before_cleanup >/dev/null; then before_cleanup || true; fi
  for name in $watched; do
    pid=${!name:-}
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; fi
  done
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}

fail() {
  echo "FAIL: $*" >&2
  local log
  for log in "$work"/*.err "$work"/*.out; do [ -s "$log" ] && { echo "--- $log"; cat "$log"; } >&2; done
  exit 1
}

wait_for() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$end" ] && return 1
    sleep 0.2
  done
}

# A key typed while the window does not yet have the focus is lost, so after 10 s without effect
# it is typed again (six times at the most).
press_until() {
  local key=$1
  shift
  for _ in 1 2 3 4 5 6; do
    xdotool windowfocus "$xid"
    sleep 0.5
    xdotool key --window "$xid" "$key" 2>/dev/null || xdotool key "$key"
    wait_for 10 "$@" && return 0
  done
  return 1
}

winpath() { echo "Z:$1" | tr / '\\'; }
wine_run() { "$scripts/wine-run.sh" "$prefix" "$@"; }

# The X server writes its display number into the file once it takes connections. Start it
# before any Windows program runs: the first one makes the prefix's desktop, and a desktop made
# without a display leaves corvane.exe without its window.
start_xvfb() {
  Xvfb -displayfd 5 -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset 5>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  wait_for 30 test -s "$work/display" || fail "the virtual X server did not start"
  export DISPLAY=":$(head -n1 "$work/display")"
  export CORVANE_NO_MESSAGE_BOXES=1 CORVANE_VIRTUAL_CLOCK=1
}
