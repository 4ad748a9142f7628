#!/usr/bin/env bash
# One Kavinel per desktop session, on a private session bus under Xvfb: with the program running,
# each second start, `kavinel FILE`, `gapplication launch ID FILE`, `kavinel` typed in a doll's
# folder and the menu entry, ends at once with status 0, the one program shows that doll and
# its window has the keyboard; a refused doll file says why with status 1 and hands nothing
# over; with nothing running, the bus starts the program through its service file. Without a
# bus each start runs its own program, and nothing ever runs dbus-launch.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
launcher=$(realpath "$1")
samples=$(realpath "$2")
id=org.example.kavinel

if [[ -z ${ONE_KAVINEL_WORK:-} ]]; then
  # The home, the desktop's folders and the bus's service file, then the same script again on a
  # bus of its own, which finds the service file there, in a session of its own, whose programs
  # are the only ones counted.
  export ONE_KAVINEL_WORK=$(mktemp -d)
  trap 'rm -rf "$ONE_KAVINEL_WORK"' EXIT
  export HOME=$ONE_KAVINEL_WORK/home XDG_CONFIG_HOME=$ONE_KAVINEL_WORK/config \
    XDG_CACHE_HOME=$ONE_KAVINEL_WORK/cache XDG_DATA_HOME=$ONE_KAVINEL_WORK/data \
    XDG_RUNTIME_DIR=$ONE_KAVINEL_WORK/runtime
  mkdir -p "$HOME/Kavinel" "$XDG_DATA_HOME/dbus-1/services" "$XDG_RUNTIME_DIR" "$ONE_KAVINEL_WORK/bin"
  chmod 700 "$XDG_RUNTIME_DIR"
  ln -s "$launcher" "$ONE_KAVINEL_WORK/bin/kavinel"  # started by the name a person types
  printf '[D-BUS Service]\nName=%s\nExec="%s" --gapplication-service\n' "$id" "$launcher" \
    >"$XDG_DATA_HOME/dbus-1/services/$id.service"
  status=0
  setsid -w dbus-run-session -- "$0" "$@" || status=$?
  exit $status
fi
work=$ONE_KAVINEL_WORK
kavinel=$work/bin/kavinel
shelf=$HOME/Kavinel
# Every program ended, and done writing, before the scratch folders go.
trap 'pkill -s 0 -x Kavinel; while pgrep -s 0 -x Kavinel >/dev/null; do sleep 0.1; done' EXIT
cp "$samples"/*.bmp "$shelf"/

# Doll files that differ in one byte of the skin, so that each opens into a folder of its own;
# and a doll in a folder of the shelf, for the command typed there.
for name in one two four; do
  mkdir -p "$work/$name"
  cp "$samples"/*.bmp "$work/$name"/
  printf '%s' "$name" | dd of="$work/$name/テクスチャ.bmp" bs=1 seek=60 conv=notrunc status=none
  (cd "$work/$name" && DISPLAY= "$kavinel" --export "$work/$name.kavinel")
done
# A doll file whose archive is sound but holds no skin: refused once its pictures are read.
python3 - "$work/one.kavinel" "$work/noskin.kavinel" <<'MAKE'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as whole, zipfile.ZipFile(sys.argv[2], "w") as cut:
    for entry in whole.infolist():
        if entry.filename != "テクスチャ.bmp":
            cut.writestr(entry, whole.read(entry))
MAKE
mkdir "$shelf/three"
cp "$samples"/*.bmp "$shelf/three"/

programs() { pgrep -s 0 -x Kavinel | wc -l; }
programs_are() { [[ $(programs) -eq $1 ]]; }
remembers() { grep -qsxF "LastDoll=@ByteArray($1)" "$XDG_CONFIG_HOME/Kavinel/Kavinel.conf"; }
# The keyboard elsewhere, so that the handover has to bring the window to the front.
focus_away() { xdotool windowfocus "$(xdotool search --maxdepth 0 --name '')" 2>/dev/null || true; }
# The window's title names the doll shown, the desktop's way.
titled() { [[ $(xdotool getwindowname "$window" 2>/dev/null) == "$1 — カヴィネル" ]]; }
has_focus() { [[ $(xdotool getwindowfocus -f 2>/dev/null) == "$window" ]]; }

cd "$HOME"
start_program "$launcher"
owned() { dbus-send --session --dest=org.freedesktop.DBus --print-reply / org.freedesktop.DBus.GetNameOwner "string:$id" >/dev/null 2>&1; }
wait_until owned || fail "the program did not take $id"

# How the second start is made, in which folder, and the doll shown after it ('-': the one before).
while read -r folder doll start; do
  focus_away
  # The desktop's startup id, with the time of its click: CurrentTime.
  startup=kavinel-$RANDOM-_TIME0
  code=0
  (cd "$folder" && DESKTOP_STARTUP_ID=$startup timeout 10 $start) >"$work/said.txt" 2>&1 || code=$?
  [[ $code -eq 0 ]] || fail "'$start' ended with status $code: $(cat "$work/said.txt")"
  if [[ $doll != - ]]; then
    wait_until remembers "$doll" || fail "'$start' did not show $doll"
    wait_until titled "$doll" || fail "'$start': the title does not name $doll"
  fi
  wait_until has_focus || fail "'$start' did not bring the window to the front"
  xprop -id "$window" _NET_STARTUP_ID | grep -qF "\"$startup\"" || fail "'$start': the startup id was not passed on"
  programs_are 1 && kill -0 "$program_pid" || fail "'$start': $(programs) programs"
done <<ROWS
$work one $kavinel $work/one.kavinel
$work two gapplication launch $id $work/two.kavinel
$shelf/three three $kavinel
$HOME - $launcher
ROWS
[[ -d $shelf/one && -d $shelf/two ]] || fail "the doll files were not opened on the shelf"

# Refused by the launcher before anything is handed over: said in the terminal and in a box.
before=$(ls "$shelf")
"$kavinel" "$work/noskin.kavinel" 2>"$work/said.txt" &
refused=$!
box=
find_box() {
  box=$(xdotool search --onlyvisible --class kavinel | grep -vx "$window" | head -n 1)
  [[ -n $box ]]
}
wait_until find_box || fail "no message for noskin.kavinel"
xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
code=0
wait "$refused" || code=$?
[[ $code -eq 1 ]] && grep -q noskin.kavinel "$work/said.txt" || fail "noskin.kavinel: status $code, $(cat "$work/said.txt")"
[[ $(ls "$shelf") == "$before" ]] && remembers three || fail "noskin.kavinel was handed over"
stop_program

# Nothing running: the bus starts the program by its service file, which then opens the file.
timeout 20 gapplication launch "$id" "$work/four.kavinel" || fail "the bus did not start Kavinel"
wait_until remembers four || fail "the program started by the bus did not show four"
programs_are 1 || fail "started by the bus: $(programs) programs"
pkill -s 0 -x Kavinel
wait_until programs_are 0 || fail "the program started by the bus did not end"

# No bus at all, with an X display: two starts, two programs, and no bus started for either.
# LeakSanitizer cannot work under strace's ptrace.
nobus=(env -u DBUS_SESSION_BUS_ADDRESS XDG_RUNTIME_DIR="$work/nobus"
  ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0")
mkdir -p "$work/nobus"
chmod 700 "$work/nobus"
for start in 1 2; do
  "${nobus[@]}" strace -f -qq -e trace=execve -o "$work/trace$start.txt" "$kavinel" "$work/one.kavinel" &
  wait_until programs_are "$start" || fail "without a bus, start $start: $(programs) programs"
done
sleep 1
! grep -h dbus-launch "$work"/trace?.txt || fail "a bus was launched"
echo "1 passed, 0 failed"
