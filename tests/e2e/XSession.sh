# Drives the real program in an X window: sourced by the tests that start it under Xvfb.
# Without a display, `run_under_xvfb "$0" "$@"` starts the calling script again inside one.

fail() {
  echo "$*"
  exit 1
}

run_under_xvfb() {
  [[ -n "${DISPLAY:-}" ]] && return 0
  # The new display comes without a session bus: say so, or the D-Bus library tries to start
  # one for it and, failing, leaks a buffer that the sanitizer build reports at a normal exit.
  export DBUS_SESSION_BUS_ADDRESS=unix:path=/dev/null
  # Never reset: a reset when the last client leaves signals xvfb-run, which can break its
  # cleanup and leave the server running.
  exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$@"
}

# Runs the command every tenth of a second until it succeeds; false if it has not within ten
# seconds.
wait_until() {
  local deadline=$((SECONDS + 10))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

wm_pid=
# Starts openbox in its default configuration, whatever the user's own says, and waits until
# it manages the screen (it then names itself on the root window).
start_window_manager() {
  command -v openbox >/dev/null || fail "openbox is missing: tools/install-deps.sh installs it"
  openbox --sm-disable --config-file /etc/xdg/openbox/rc.xml >/dev/null 2>&1 &
  wm_pid=$!
  wait_until window_manager_running || fail "openbox did not start"
}
window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

stop_window_manager() {
  [[ -n "$wm_pid" ]] || return 0
  kill "$wm_pid" 2>/dev/null || true
  wait "$wm_pid" 2>/dev/null || true
}

work=
# Makes a scratch folder holding the sample doll from the folder $1 and works in it; sets work.
# The program keeps its settings there too: a brush left by another run, or by the person
# running the tests, must not paint this one's strokes.
enter_sample_folder() {
  work=$(mktemp -d)
  cp "$1"/*.bmp "$work"/
  cd "$work"
  export XDG_CONFIG_HOME=$work/.config
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
  # The menu bar's height: the panel, 500 × 300, lies beneath it.
  bar=$(($(xwininfo -id "$window" | sed -n 's/^ *Height: *//p') - 300))
}

stop_program() {
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
}

# Moves the pointer to X, Y of the panel under the menu bar, then does the rest of xdotool's
# commands given.
move_in_panel() {
  local x=$1 y=$2
  shift 2
  xdotool mousemove --window "$window" "$x" $((y + bar)) "$@"
}
click() { move_in_panel "$1" "$2" click 1; }
click_stop() { click 115 277; } # BtnTurnRight, reading <Stop> while the doll turns right
click_save() { click 265 277; } # BtnSave

# Whether the painting's tool window shows beside the main window.
tool_window_shown() { (($(xdotool search --onlyvisible --class kavinel | wc -l) >= 2)); }
tool_window_gone() { ! tool_window_shown; }

wait_for_file() { wait_until test -s "$1" || fail "$1 was not written"; }

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

# Where the window's outer frame is and where it belongs, from the frame extents the window
# manager publishes (none without one) and the client area's absolute position (xdotool's
# getwindowgeometry miscounts a reparented window): sets extents, and frame and centred,
# each "left,top".
extents=
frame=
centred=
measure_frame() {
  local published left right top bottom client root x y width height
  published=$(xprop -id "$window" _NET_FRAME_EXTENTS |
    sed -n 's/^_NET_FRAME_EXTENTS(CARDINAL) = //p' | tr -d ,)
  read -r left right top bottom <<<"${published:-0 0 0 0}"
  extents="$left, $right, $top, $bottom"
  client=$(xwininfo -id "$window")
  root=$(xwininfo -root)
  x=$(info_field "$client" 'Absolute upper-left X')
  y=$(info_field "$client" 'Absolute upper-left Y')
  frame="$((x - left)),$((y - top))"
  width=$(($(info_field "$client" Width) + left + right))
  height=$(($(info_field "$client" Height) + top + bottom))
  # The shell's division truncates toward zero, as the program's does.
  centred="$((($(info_field "$root" Width) - width) / 2)),$((($(info_field "$root" Height) - height) / 2))"
}

# A field of xwininfo's report.
info_field() { sed -n "s/^ *$2: *//p" <<<"$1"; }

framed_and_centred() { measure_frame && [[ "$extents" != "0, 0, 0, 0" && "$frame" == "$centred" ]]; }

# The frame, caption included, is centred on the screen once the program has learnt its size.
wait_for_centred_frame() {
  wait_until framed_and_centred ||
    fail "the frame is at $frame, centred it would be at $centred (frame extents $extents)"
  echo "frame extents $extents: the frame is at $frame, centred"
}

# Without a window manager the window has no frame, and its client area is centred.
check_centred_unframed() {
  measure_frame
  [[ "$extents" == "0, 0, 0, 0" ]] || fail "a frame without a window manager: $extents"
  [[ "$frame" == "$centred" ]] || fail "the window is at $frame, centred it would be at $centred"
}

# The window asks the window manager for a system menu, a minimise and a close button and for
# nothing that would make it larger: in its Motif hints (flags, functions, decorations) the
# functions minimise (8) and close (32) and the decorations menu (16) and minimise (32) are
# set, maximise (16 among the functions, 64 among the decorations) is not, and the window
# manager offers no maximising either.
check_no_maximise() {
  local hints flags functions decorations
  hints=$(xprop -id "$window" _MOTIF_WM_HINTS | sed -n 's/^_MOTIF_WM_HINTS([^)]*) = //p' | tr -d ,)
  read -r flags functions decorations _ <<<"$hints"
  [[ -n "$decorations" ]] || fail "the window has no _MOTIF_WM_HINTS"
  (((flags & 3) == 3)) || fail "_MOTIF_WM_HINTS $hints: functions and decorations not both given"
  (((functions & 0x38) == 0x28 && (decorations & 0x70) == 0x30)) ||
    fail "_MOTIF_WM_HINTS $hints: want menu, minimise and close, without maximise"
  ! xprop -id "$window" _NET_WM_ALLOWED_ACTIONS | grep -q MAXIMIZE ||
    fail "the window manager offers to maximise the window"
  echo "_MOTIF_WM_HINTS $hints: menu, minimise and close, no maximise"
}

# Alt+F4 as the user types it, to the window manager, which closes the active window: the
# program must end, and end well.
close_with_alt_f4() {
  xdotool windowactivate --sync "$window"
  # The window manager closes the window that has the keyboard: wait until it has.
  wait_until has_focus || fail "the window did not get the keyboard"
  xdotool key alt+F4
  # On a busy machine the window manager has been seen to miss the first Alt+F4 sent through
  # XTEST right after activating the window; one more try, said aloud, before failing.
  if ! wait_until program_ended; then
    echo "the program did not end after the first Alt+F4: trying once more"
    xdotool windowactivate --sync "$window" key alt+F4
    wait_until program_ended || fail "the program did not end after Alt+F4"
  fi
  local status=0
  wait "$program_pid" || status=$?
  ((status == 0)) || fail "the program ended with status $status after Alt+F4"
}
program_ended() { ! kill -0 "$program_pid" 2>/dev/null; }
has_focus() { [[ $(xdotool getwindowfocus -f 2>/dev/null) == "$window" ]]; }
