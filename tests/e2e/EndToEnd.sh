#!/usr/bin/env bash
# Starts the real program in an X window under Xvfb, in a scratch folder holding the sample
# doll, clicks <Stop> and then Save twice with xdotool, and checks what was saved: two
# 400 × 200, 24-bit BMP sheets with the doll on them, identical because the doll stood still.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
program=$(realpath "$1")
samples=$(realpath "$2")

trap 'stop_program; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
start_program "$program"
check_centred_unframed

click_stop
sleep 0.3
click_save
wait_for_file out00.bmp
sleep 0.3
click_save
wait_for_file out01.bmp
sleep 0.2

check_sheet out00.bmp
check_sheet out01.bmp
cmp -s out00.bmp out01.bmp || fail "the doll kept turning after <Stop>"
kill -0 "$program_pid" || fail "the program ended"
echo "1 passed, 0 failed"
