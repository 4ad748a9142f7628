#!/usr/bin/env bash
# Paints the doll by hand in the real program under Xvfb, as a person does: with the doll
# stopped and a sheet saved, the menu's b turns painting on and opens the tool window, titled
# with its own short title alone, a drag with the starting brush along a row of the front view
# paints it, and Escape ends the painting: テクスチャ.bmp must hold black texels where the
# stroke went and nowhere else, with the old skin kept as テクスチャ-01.bmp. A second painting after another sheet, ended by
# SIGTERM, must be written too, the skin before it kept as テクスチャ-02.bmp, and the program
# must end with status 0.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
paint_check=$(realpath "$2")
samples=$(realpath "$3")

trap 'stop_program; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
start_program "$program"
click_stop
sleep 0.3
click_save
wait_for_file out00.bmp

# The titles of the program's windows as the window manager reads them.
titles() {
  local id
  for id in $(xdotool search --onlyvisible --class kavinel); do
    LC_ALL=C.UTF-8 xprop -notype -id "$id" _NET_WM_NAME
  done
}

# A right click on the front view, which lies at 25, 25 in the panel, then the menu's b; a
# drag from column $2 to $3 of view row $1 in steps of 4 pixels.
paint_row() {
  move_in_panel 125 125 click 3
  sleep 0.5
  xdotool key b
  wait_until tool_window_shown || fail "the tool window did not appear"
  # Its own short title alone: the program's name after it would be cut in its narrow title bar.
  titles | grep -xE '_NET_WM_NAME = "(筆|Brush)"' >/dev/null ||
    fail "no tool window titled with its own title alone: $(titles)"
  move_in_panel $((25 + $2)) $((25 + $1))
  sleep 0.2
  xdotool mousedown 1
  for ((x = $2 + 4; x <= $3; x += 4)); do
    move_in_panel $((25 + x)) $((25 + $1))
    sleep 0.05
  done
  xdotool mouseup 1
  sleep 0.3
}

paint_row 100 60 140
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_for_file テクスチャ-01.bmp
wait_until tool_window_gone || fail "Escape did not end the painting"
cmp -s テクスチャ-01.bmp "$samples/テクスチャ.bmp" || fail "テクスチャ-01.bmp is not the old skin"
"$paint_check" out00.bmp シェイプ.bmp テクスチャ-01.bmp テクスチャ.bmp 100 60 140 ||
  fail "the stroke did not paint black just where it went"

click_save
wait_for_file out01.bmp
paint_row 150 80 120
kill -TERM "$program_pid"
status=0
wait "$program_pid" || status=$?
((status == 0)) || fail "the program ended with status $status after SIGTERM"
[[ -s テクスチャ-02.bmp ]] || fail "SIGTERM did not write the painting"
"$paint_check" out01.bmp シェイプ.bmp テクスチャ-02.bmp テクスチャ.bmp 150 80 120 ||
  fail "the painting ended by SIGTERM is not the stroke"
echo "1 passed, 0 failed"
