#!/usr/bin/env bash
# Shapes the doll with the mouse in the real program under Xvfb, as a person does: a press on
# the right edge of the front view's widest row, a drag 15 pixels outwards and a release. The
# new outline must be written with the old one kept as シェイプ-01.bmp, a sheet saved afterwards
# must show the wider doll, and Ctrl+Z must put the old outline back in place.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
samples=$(realpath "$2")

trap 'stop_program; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
start_program "$program"
click_stop
sleep 0.3

# The sample doll is widest (radius 92) from row 108 on: its right edge pixel is view column
# 99 + 92, and the front view lies at 25, 25 in the panel.
row=$((25 + 108))
edge=$((25 + 99 + 92))
move_in_panel "$edge" "$row"
sleep 0.2
xdotool mousedown 1
for step in 1 2 3 4 5; do
  move_in_panel $((edge + 3 * step)) "$row"
  sleep 0.1
done
xdotool mouseup 1
wait_for_file シェイプ-01.bmp
cmp -s シェイプ-01.bmp "$samples/シェイプ.bmp" || fail "シェイプ-01.bmp is not the old outline"
! cmp -s シェイプ.bmp "$samples/シェイプ.bmp" || fail "シェイプ.bmp did not change"

sleep 0.3
click_save
wait_for_file out00.bmp
sleep 0.2
check_sheet out00.bmp
# Row 108 of the front view: its first eight columns lay outside the doll of radius 92, and
# the doll, pulled out to 100 there, now covers them. The sheet's rows are stored bottom up.
covered=$(od -An -v -t u1 -w3 -j $((54 + (199 - 108) * 1200)) -N 24 out00.bmp |
  awk '$1 + $2 + $3 > 0 { n++ } END { print n + 0 }')
echo "row 108: $covered of the 8 columns left of the old edge show the doll"
((covered >= 6)) || fail "the saved sheet does not show the wider doll"

xdotool windowfocus --sync "$window"
xdotool key ctrl+z
wait_for_file シェイプ-02.bmp
wait_until cmp -s シェイプ.bmp "$samples/シェイプ.bmp" || fail "Ctrl+Z did not put the old outline back"
cmp -s シェイプ-01.bmp "$samples/シェイプ.bmp" || fail "シェイプ-01.bmp changed"
kill -0 "$program_pid" || fail "the program ended"
echo "1 passed, 0 failed"
