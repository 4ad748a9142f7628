#!/usr/bin/env bash
# The shelf in the real program under Xvfb, as a person uses it: two dolls in ~/Kavinel, the
# shelf opened from the views' menu, the second doll shown from it with the keyboard; ended and
# started again by the menu entry's command, the program shows that doll.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
launcher=$(realpath "$1")
samples=$(realpath "$2")

work=$(mktemp -d)
trap 'stop_program; rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache XDG_DATA_HOME=$work/data
mkdir -p "$HOME/Kavinel/second"
cp "$samples"/*.bmp "$HOME/Kavinel/"
cp "$samples/シェイプ.bmp" "$HOME/Kavinel/second/"
cp "$samples/テクスチャ2.bmp" "$HOME/Kavinel/second/テクスチャ.bmp"

# The program starts in the doll's folder; a doll shown later is told by the one it remembers.
starts_in() { [[ $(readlink "/proc/$program_pid/cwd") == "$1" ]]; }
remembers() { grep -qxF "LastDoll=@ByteArray($1)" "$XDG_CONFIG_HOME/Kavinel/Kavinel.conf"; }

start_program "$launcher"
starts_in "$HOME/Kavinel" || fail "the first start is not in ~/Kavinel"
move_in_panel 125 125 click 3
sleep 0.5
xdotool key s
shelf=
find_shelf() {
  shelf=$(xdotool search --onlyvisible --class kavinel | grep -vx "$window" | head -n 1)
  [[ -n "$shelf" ]]
}
wait_until find_shelf || fail "the shelf did not open"
xdotool windowfocus --sync "$shelf"
xdotool key End Return
wait_until remembers second || fail "the second doll was not shown"
starts_in "$HOME/Kavinel" || fail "showing a doll changed the program's working folder"
stop_program

start_program "$launcher"
starts_in "$HOME/Kavinel/second" || fail "the next start is not in the doll last shown"
echo "1 passed, 0 failed"
