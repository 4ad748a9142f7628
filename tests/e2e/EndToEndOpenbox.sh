#!/usr/bin/env bash
# Starts the real program under a real window manager, openbox in its default configuration,
# on a 1024 × 768 Xvfb screen, in a scratch folder holding the sample doll. Checks that the
# window's outer frame, caption included, is centred on the screen, that it asks for no
# maximise button (it cannot grow), that the framed window's buttons answer clicks (Save
# writes a sheet), and that Alt+F4 closes it and ends the program.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
samples=$(realpath "$2")

trap 'stop_program; stop_window_manager; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
start_window_manager
start_program "$program"

wait_for_centred_frame
check_no_maximise
click_save
wait_for_file out00.bmp
check_sheet out00.bmp
# Clicking did not move the window.
framed_and_centred || fail "the frame moved to $frame after the click"
close_with_alt_f4
echo "1 passed, 0 failed"
