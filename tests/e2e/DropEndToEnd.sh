#!/usr/bin/env bash
# Drags a picture file from another program onto the real program's left view under Xvfb,
# as a person drags a photo from a file manager, and checks what happened: the old skin is
# kept as テクスチャ-01.bmp, a sheet saved afterwards shows the picture on the doll's front
# and not on its back, and every file is flushed before it is put in place, the folder after.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
drag_source=$(realpath "$2")
samples=$(realpath "$3")

source_pid=
traced_pid=
trap 'kill $source_pid $traced_pid 2>/dev/null || true; stop_program; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
# A 2 × 2 magenta BMP, a colour the sample doll does not have.
{
  printf 'BM\x46\0\0\0\0\0\0\0\x36\0\0\0'
  printf '\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0\x10\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0'
  printf '\xff\0\xff\xff\0\xff\0\0\xff\0\xff\xff\0\xff\0\0'
} >magenta.bmp
command -v strace >/dev/null || fail "strace is missing: tools/install-deps.sh installs it"
# Under strace, for the order in which the drop and Save put their files on the disk.
# LeakSanitizer cannot look at a traced process: the sanitizer build checks for leaks in the
# other end-to-end tests.
start_program env ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" \
  strace -f -y -x -o "$work/calls.log" \
  -e trace=fsync,fdatasync,link,rename,renameat,renameat2 "$program"
# strace ignores the signal that ends it while it runs a program: end the program itself.
traced_pid=$(xdotool getwindowpid "$window")
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
  move_in_panel $((85 + 10 * step)) $((85 + 10 * step))
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
kill -0 "$traced_pid" || fail "the program ended"
kill "$traced_pid"
stop_program
# The drop's steps and Save's as the program made them: a file flushed before it is renamed
# into place or done, and the folder after. strace -x writes a name with any byte past ASCII
# wholly in hex.
hex() { printf %s "$1" | od -An -v -t x1 | tr -d ' \n' | sed 's/../\\x&/g'; }
steps=$(NEW=$(hex .bmp.new) FOLDER="<$(pwd -P)>" awk '
  /fsync\(/ && index($0, ENVIRON["NEW"] ">") { print "flush new skin" }
  /^[0-9]+ +link\(/ { print "link backup" }
  /rename\(/ && index($0, ENVIRON["NEW"] "\"") { print "rename into place" }
  /fsync\(/ && /\/out00\.bmp>/ { print "flush sheet" }
  /fsync\(/ && index($0, ENVIRON["FOLDER"]) { print "flush folder" }' calls.log | paste -sd, -)
expected="flush new skin,link backup,rename into place,flush folder,flush sheet,flush folder"
[[ "$steps" == "$expected" ]] || fail "the steps were $steps; expected $expected"
echo "flushed in order: $steps"
echo "1 passed, 0 failed"
