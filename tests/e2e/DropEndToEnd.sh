#!/usr/bin/env bash
# Drags a picture file from another program onto the real program's left view under Xvfb,
# as a person drags a photo from a file manager, and checks what happened: the old skin is
# kept as テクスチャ-01.bmp, and a sheet saved afterwards shows the picture on the doll's
# front and not on its back.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
drag_source=$(realpath "$2")
samples=$(realpath "$3")

source_pid=
trap 'kill $source_pid 2>/dev/null || true; stop_program; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
# A 2 × 2 magenta BMP, a colour the sample doll does not have.
{
  printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0'
  printf '\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0\x10\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
  printf '\xff\0\xff\xff\0\xff\0\0\xff\0\xff\xff\0\xff\0\0'
} >magenta.bmp
start_program "$program"
click_stop
sleep 0.3

"$drag_source" "$work/magenta.bmp" >drag.log &
source_pid=$!
source_window=$(timeout 20 xdotool search --sync --onlyvisible --class drag_source | head -n 1)
[[ -n "$source_window" ]] || fail "the drag source did not appear"
xdotool windowmove "$source_window" 700 500
sleep 0.5
# Press on the source, move onto the left view in steps (a drag follows the pointer's
# motion), and let go there.
xdotool mousemove --window "$source_window" 50 50 mousedown 1
for step in 0 1 2 3 4; do
  xdotool mousemove --window "$window" $((85 + 10 * step)) $((85 + 10 * step))
  sleep 0.2
done
xdotool mouseup 1
wait_until grep -q copied drag.log || fail "the drop was not taken: $(cat drag.log)"
wait_for_file テクスチャ-01.bmp
cmp -s テクスチャ-01.bmp "$samples/テクスチャ.bmp" || fail "テクスチャ-01.bmp is not the old skin"

sleep 0.3
click_save
wait_for_file out00.bmp
sleep 0.2
check_sheet out00.bmp
# Magenta pixels of the sheet, in its left (front) and right (back) halves.
read -r front back < <(od -An -v -t u1 -w3 -j 54 out00.bmp |
  awk '$1 > 200 && $2 < 60 && $3 > 200 { if ((NR - 1) % 400 < 200) f++; else b++ }
       END { print f + 0, b + 0 }')
echo "magenta pixels: front $front, back $back"
((front > 15000)) || fail "the front of the doll does not show the dropped picture"
((back == 0)) || fail "the back of the doll shows the dropped picture"
kill -0 "$program_pid" || fail "the program ended"
echo "1 passed, 0 failed"
