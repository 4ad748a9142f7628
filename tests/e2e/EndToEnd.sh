#!/usr/bin/env bash
# Starts the real program in an X window under Xvfb, in a scratch folder holding the sample
# doll, clicks <Stop> and then Save twice with xdotool, and checks what was saved: two
# 400 × 200, 24-bit BMP sheets with the doll on them, identical because the doll stood still.
set -euo pipefail
program=$1
samples=$2

if [[ -z "${DISPLAY:-}" ]]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cp "$samples"/*.bmp "$work"/
cd "$work"
"$program" &
pid=$!

window=$(timeout 20 xdotool search --sync --onlyvisible --name 'カヴィネル' | head -n 1)
[[ -n "$window" ]] || { echo "the window did not appear"; exit 1; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
wait_for() {
  for _ in $(seq 100); do [[ -s "$1" ]] && return 0; sleep 0.1; done
  echo "$1 was not written"
  exit 1
}

sleep 0.5
click 115 277 # BtnTurnRight, reading <Stop>
sleep 0.3
click 265 277 # BtnSave
wait_for out00.bmp
sleep 0.3
click 265 277 # BtnSave again
wait_for out01.bmp
sleep 0.2

field() { od -An -t u"$2" -j "$1" -N "$2" "$3" | tr -d ' '; }
for sheet in out00.bmp out01.bmp; do
  [[ $(head -c 2 "$sheet") == BM ]] || { echo "$sheet: not a BMP"; exit 1; }
  [[ $(field 18 4 "$sheet") == 400 && $(field 22 4 "$sheet") == 200 ]] ||
    { echo "$sheet: not 400 x 200"; exit 1; }
  [[ $(field 28 2 "$sheet") == 24 ]] || { echo "$sheet: not 24 bits per pixel"; exit 1; }
  [[ $(stat -c %s "$sheet") == $((54 + 400 * 3 * 200)) ]] || { echo "$sheet: wrong size"; exit 1; }
  # The doll is on the sheet: not every pixel is black.
  [[ $(tail -c +55 "$sheet" | tr -d '\0' | head -c 1 | wc -c) == 1 ]] ||
    { echo "$sheet: no doll on it"; exit 1; }
done
cmp -s out00.bmp out01.bmp || { echo "the doll kept turning after <Stop>"; exit 1; }
kill -0 "$pid" || { echo "the program ended"; exit 1; }
echo "1 passed, 0 failed"
