# Drives the real program in an X window: sourced by the tests that start it under Xvfb.
# Without a display, `run_under_xvfb "$0" "$@"` starts the calling script again inside one.

fail() {
  echo "$*"
  exit 1
}

run_under_xvfb() {
  [[ -n "${DISPLAY:-}" ]] && return 0
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
}

program_pid=
# Starts the command in the background and waits for the window; sets program_pid and window.
start_program() {
  "$@" &
  program_pid=$!
  # By the window class, the application's name: xdotool matches the UTF-8 title only where
  # the X library knows the locale.
  window=$(timeout 20 xdotool search --sync --onlyvisible --class kavinel | head -n 1)
  [[ -n "$window" ]] || fail "the window of '$*' did not appear"
  sleep 0.5
}

stop_program() {
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
}

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
click_stop() { click 115 277; } # BtnTurnRight, reading <Stop> while the doll turns right
click_save() { click 265 277; } # BtnSave

wait_for_file() {
  for _ in $(seq 100); do
    [[ -s "$1" ]] && return 0
    sleep 0.1
  done
  fail "$1 was not written"
}

# A saved sheet: a 400 × 200, 24-bit BMP with the doll on it (not every pixel black).
check_sheet() {
  local sheet=$1
  field() { od -An -t u"$2" -j "$1" -N "$2" "$sheet" | tr -d ' '; }
  [[ $(head -c 2 "$sheet") == BM ]] || fail "$sheet: not a BMP"
  [[ $(field 18 4) == 400 && $(field 22 4) == 200 ]] || fail "$sheet: not 400 x 200"
  [[ $(field 28 2) == 24 ]] || fail "$sheet: not 24 bits per pixel"
  [[ $(stat -c %s "$sheet") == $((54 + 400 * 3 * 200)) ]] || fail "$sheet: wrong size"
  [[ $(tail -c +55 "$sheet" | tr -d '\0' | head -c 1 | wc -c) == 1 ]] || fail "$sheet: no doll on it"
}
