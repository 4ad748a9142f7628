#!/usr/bin/env bash
# The views' menu in the real program under Xvfb, as a person uses it: with the doll stopped
# and a sheet saved, a right click on the back view and the key a save the turn as out00.gif,
# which a GIF reader finds to start from that sheet and turn; the Menu key and a again save
# out01.gif;
# the menu's f shows the doll's folder through xdg-open (here a stand-in that writes down its
# argument).
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
turn_gif_check=$(realpath "$2")
samples=$(realpath "$3")

trap 'stop_program; rm -rf "$work" "$bin"' EXIT
bin=$(mktemp -d)
printf '#!/bin/sh\necho "$1" > "%s/opened"\n' "$bin" > "$bin/xdg-open"
chmod +x "$bin/xdg-open"
export PATH="$bin:$PATH"
enter_sample_folder "$samples"
start_program "$program"

click_stop
click_save
wait_for_file out00.bmp
# The back view lies at 275, 25 in the panel.
move_in_panel 375 125 click 3
sleep 0.5
xdotool key a
wait_for_file out00.gif
"$turn_gif_check" out00.gif out00.bmp || fail "out00.gif is not the turn from the saved sheet"

xdotool windowfocus --sync "$window"
xdotool key Menu
sleep 0.5
xdotool key a
wait_for_file out01.gif

move_in_panel 125 125 click 3
sleep 0.5
xdotool key f
wait_for_file "$bin/opened"
[[ $(cat "$bin/opened") == "file://$work" ]] || fail "xdg-open was given $(cat "$bin/opened"), not $work"
kill -0 "$program_pid" || fail "the program ended"
echo "1 passed, 0 failed"
