#!/usr/bin/env bash
# Paints a symmetric face in the real program under Xvfb, as a person does: with the doll
# stopped and a sheet saved, painting on and the mirror on (M), one click paints an eye and the
# sheet must show the second one opposite it; the fill (G) clicked on a field of one colour
# must paint it black; Ctrl+Z twice must then show the doll as before, and the painting, ended with
# Escape, must leave the skin's pixels as they were.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
sheet_check=$(realpath "$2")
samples=$(realpath "$3")

trap 'stop_program; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
start_program "$program"
click_stop
sleep 0.3
click_save
wait_for_file out00.bmp

# A click on pixel $1, $2 of the front view, which lies at 25, 25 in the panel.
click_front() {
  move_in_panel $((25 + $1)) $((25 + $2))
  sleep 0.2
  xdotool click 1
  sleep 0.3
}
# Saves the next sheet, out0$1.bmp.
save_sheet() {
  click_save
  wait_for_file "out0$1.bmp"
}
differing() { "$sheet_check" count "$1" "$2"; }

move_in_panel 125 125 click 3
sleep 0.5
xdotool key b
wait_until tool_window_shown || fail "the tool window did not appear"
xdotool windowfocus --sync "$window"
xdotool key m
# The brush, 4 pixels across, on pixel 70 of row 60 lays pixels 69 and 70; the mirror lays 130
# and 129.
click_front 70 60
save_sheet 1
"$sheet_check" black out01.bmp 70 60 69 59 129 60 130 59 ||
  fail "one click with the mirror on did not paint both eyes"

read -r x y < <("$sheet_check" field out01.bmp) || fail "no field of one colour on the front"
xdotool key g
click_front "$x" "$y"
save_sheet 2
"$sheet_check" black out02.bmp "$x" "$y" || fail "the fill did not paint where it was clicked"
filled=$(differing out01.bmp out02.bmp)
((filled >= 20)) || fail "the fill changed only $filled pixels"

for _ in 1 2; do
  xdotool key ctrl+z
  sleep 0.3
done
save_sheet 3
left=$(differing out00.bmp out03.bmp)
((left == 0)) || fail "Ctrl+Z twice left $left pixels painted, of $(differing out00.bmp out01.bmp) by the eyes and $(differing out00.bmp out02.bmp) by both"
xdotool key Escape
wait_until tool_window_gone || fail "Escape did not end the painting"
skin=$(differing テクスチャ.bmp "$samples/テクスチャ.bmp")
((skin == 0)) || fail "the skin written differs from the sample's in $skin texels"
echo "1 passed, 0 failed"
