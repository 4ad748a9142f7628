#!/usr/bin/env bash
# Starts the real program natively on Wayland, under weston's headless back end drawing with
# pixman (no display, no graphics card), in a scratch folder holding the sample doll: as the
# program and as the `kavinel` command, each choosing Wayland by itself as in a Wayland session
# without X (WAYLAND_DISPLAY set; neither DISPLAY nor QT_QPA_PLATFORM). Checks that it starts,
# that a screenshot of weston's output shows the doll in both views (the compositor, not the
# program, places the window: the views are found by the window's panel), and that it ends
# with status 0 when told to end (SIGTERM, as a session that ends does). Weston gets a runtime
# folder and a socket name of its own, and is ended on every way out.
# Usage: WaylandEndToEnd.sh PROGRAM LAUNCHER VIEWS_ON_SCREEN SAMPLES
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/XSession.sh"
program=$(realpath "$1")
launcher=$(realpath "$2")
views_on_screen=$(realpath "$3")
samples=$(realpath "$4")
for tool in weston weston-screenshooter; do
  command -v "$tool" >/dev/null || fail "$tool is missing: tools/install-deps.sh installs it"
done

runtime=$(mktemp -d) # made private to its owner, as a runtime folder must be
commands=$(mktemp -d)
ln -s "$launcher" "$commands/kavinel" # the launcher is the command by that name
weston_pid=
stop_weston() {
  [[ -n "$weston_pid" ]] || return 0
  kill "$weston_pid" 2>/dev/null || true
  wait "$weston_pid" 2>/dev/null || true
}
trap 'stop_program; stop_weston; rm -rf "$work" "$runtime" "$commands"' EXIT

enter_sample_folder "$samples"
# Nothing of the caller's session: no X display to fall back on, no session bus.
unset DISPLAY WAYLAND_SOCKET QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=kavinel-e2e-$$
export DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null
# --debug lets weston-screenshooter take pictures of the output.
weston --backend=headless-backend.so --use-pixman --no-config --debug --idle-time=0 \
  --socket="$WAYLAND_DISPLAY" --width=1024 --height=768 >weston.log 2>&1 &
weston_pid=$!
weston_ready() { [[ -S "$runtime/$WAYLAND_DISPLAY" ]] && kill -0 "$weston_pid" 2>/dev/null; }
wait_until weston_ready || { cat weston.log; fail "weston did not start"; }

# In the sanitizer build: what Qt's Wayland plugin and EGL leave at exit is theirs, found by
# whole stacks (the libraries keep no frame pointers).
export LSAN_OPTIONS="suppressions=$here/WaylandLeaks.supp:fast_unwind_on_malloc=0"
mkdir shots
# Screenshots until both views show the doll: the window takes a moment to appear and draw.
views_shown() {
  kill -0 "$program_pid" 2>/dev/null || { cat program.log; fail "$start ended at start"; }
  rm -f shots/*.png
  (cd shots && timeout 5 weston-screenshooter >/dev/null 2>&1) || return 1
  "$views_on_screen" shots/*.png >views.log
}
for start in "$program" "$commands/kavinel"; do
  "$start" >program.log 2>&1 &
  program_pid=$!
  if ! wait_until views_shown; then
    cat views.log program.log 2>/dev/null
    fail "no screenshot shows the doll in both views, started as $start"
  fi
  cat views.log
  kill -TERM "$program_pid"
  wait_until program_ended || fail "$start did not end on SIGTERM"
  status=0
  wait "$program_pid" || status=$?
  ((status == 0)) || { cat program.log; fail "$start ended with status $status"; }
done
echo "2 passed, 0 failed"
