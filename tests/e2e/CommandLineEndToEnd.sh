#!/usr/bin/env bash
# The `kavinel` command as a person types it: every option --help lists, and a command line it
# cannot follow, answer without a window; without a display it says so in one line and makes
# nothing; --export writes the folder's doll as a doll file and never
# replaces one; a doll file given by a relative name opens in a new folder of ~/Kavinel, a
# second time in the same, once that copy is painted in NAME-2; doll files that are refused (cut short, a name climbing out, no skin,
# a link) say so in a message and leave nothing; nor does a launcher ended while it unpacks.
set -euo pipefail
source "$(dirname "$0")/XSession.sh"
run_under_xvfb "$0" "$@"
launcher=$(realpath "$1")
samples=$(realpath "$2")

trap 'stop_program; rm -rf "$work"' EXIT
enter_sample_folder "$samples"
export HOME=$work/home
mkdir -p "$HOME" bin
ln -s "$launcher" bin/kavinel  # started by the name a person types
kavinel=$work/bin/kavinel

# Answered without a window: no display at all.
DISPLAY= "$kavinel" --help >help.txt || fail "--help did not end with status 0"
grep -q -- '--export' help.txt && grep -q '人形ファイル' help.txt || fail "--help: $(cat help.txt)"
[[ $(DISPLAY= "$kavinel" --version) == "カヴィネル (Kavinel) "* ]] || fail "--version"
# In English where the desktop speaks English, Qt's own part of the usage included.
english=$(DISPLAY= LC_ALL=en_US.UTF-8 "$kavinel" --help; DISPLAY= LC_ALL=en_US.UTF-8 "$kavinel" --version)
grep -q '^Usage: .*\[doll-file.kavinel\]' <<<"$english" && grep -q 'Export the doll' <<<"$english" &&
  grep -qx 'Kavinel [0-9.]*' <<<"$english" || fail "in English: $english"
grep -q '^使い方' help.txt || fail "--help in Japanese: $(cat help.txt)"
for wrong in "--no-such-option" "a.kavinel b.kavinel" "--export x.kavinel y.kavinel"; do
  status=0
  DISPLAY= "$kavinel" $wrong >/dev/null 2>usage.txt || status=$?
  [[ $status -eq 2 ]] && grep -q -- '--export' usage.txt || fail "'$wrong': status $status"
done

# Every option --help lists, run once: its status and what it says. No other is listed.
[[ $(grep -oE '^ +(-[a-z], )?--[a-z-]+' help.txt | tr -s ' ' | paste -sd '|') == " -h, --help| -v, --version| --export" ]] ||
  fail "--help lists other options: $(cat help.txt)"
while read -r option status says; do
  code=0
  DISPLAY= "$kavinel" $option >said.txt 2>&1 || code=$?
  [[ $code -eq $status ]] && grep -qF -- "$says" said.txt || fail "'$option': status $code, $(cat said.txt)"
done <<'ROWS'
-h 0 --export <FILE.kavinel>  この人形フォルダーの人形を人形ファイル FILE.kavinel
-h 0 人形ファイル             開く人形ファイル (.kavinel)
--help 0 --export <FILE.kavinel>
-v 0 カヴィネル (Kavinel)
--version 0 カヴィネル (Kavinel)
--help-all 2 help-all
ROWS

# Where no display can be reached, none named or one that refuses: one line, status 1, and
# nothing made, not even ~/Kavinel in a fresh home (started there, with no doll). The program
# itself says so too.
for program in "$kavinel" "$(dirname "$launcher")/Kavinel"; do
  for display in "" ":97"; do
    fresh=$(mktemp -d)
    code=0
    (cd "$fresh" && env -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u QT_QPA_PLATFORM HOME="$fresh" \
      DISPLAY="$display" "$program") >said.txt 2>&1 || code=$?
    [[ $code -eq 1 && $(wc -l <said.txt) -eq 1 && -z $(ls -A "$fresh") ]] ||
      fail "${program##*/} with DISPLAY='$display': status $code, $(cat said.txt), left $(ls -A "$fresh")"
    rm -rf "$fresh"
  done
done

# Written here, never over a file, and refused where there is no doll.
DISPLAY= "$kavinel" --export set.kavinel || fail "--export did not end with status 0"
unzip -tq set.kavinel >/dev/null || fail "unzip finds set.kavinel damaged"
cp set.kavinel before.kavinel
! DISPLAY= "$kavinel" --export set.kavinel 2>refused.txt || fail "--export replaced a file"
grep -q 'set.kavinel' refused.txt && cmp -s set.kavinel before.kavinel || fail "refusal: $(cat refused.txt)"
mkdir empty
! (cd empty && DISPLAY= "$kavinel" --export x.kavinel 2>/dev/null) || fail "exported an empty folder"
[[ ! -e empty/x.kavinel ]] || fail "an empty folder's export left a file"

# Opened by a relative name from another folder: again into the same folder, which the launcher
# names; once that copy is painted, into a new one.
for folder in set set set-2; do
  if [[ $folder == set-2 ]]; then
    printf '\x01' | dd of="$HOME/Kavinel/set/テクスチャ.bmp" bs=1 seek=60 conv=notrunc status=none
  fi
  pushd empty >/dev/null
  start_program "$kavinel" ../set.kavinel 2>"$work/said.txt"
  popd >/dev/null
  [[ $(readlink "/proc/$program_pid/cwd") == "$HOME/Kavinel/$folder" ]] || fail "not started in ~/Kavinel/$folder"
  if [[ $folder == set && -e opened ]]; then
    grep -qF "$HOME/Kavinel/set" said.txt || fail "the launcher did not say where it went: $(cat said.txt)"
  fi
  touch opened
  for picture in "$samples"/*.bmp; do
    cmp -s "$picture" "$HOME/Kavinel/$folder/${picture##*/}" || fail "$folder lacks ${picture##*/}"
  done
  stop_program
done

# Doll files that are refused, each made here by another program's ZIP writer: a message
# names the file, and nothing is left in ~/Kavinel or anywhere near it.
head -c 2000 set.kavinel >cut.kavinel
python3 - <<'MAKE'
import zipfile
def doll(name, entries):
    with zipfile.ZipFile(name, "w") as z:
        z.writestr(zipfile.ZipInfo("mimetype"), "application/x-kavinel")
        for entry, data in entries:
            z.writestr(entry, data, zipfile.ZIP_DEFLATED)
shape, skin = open("シェイプ.bmp", "rb").read(), open("テクスチャ.bmp", "rb").read()
doll("climb.kavinel", [("../../escaped.bmp", shape), ("シェイプ.bmp", shape), ("テクスチャ.bmp", skin)])
doll("noskin.kavinel", [("シェイプ.bmp", shape)])
link = zipfile.ZipInfo("テクスチャ.bmp")
link.external_attr = 0o120777 << 16
with zipfile.ZipFile("link.kavinel", "w") as z:
    z.writestr(zipfile.ZipInfo("mimetype"), "application/x-kavinel")
    z.writestr("シェイプ.bmp", shape)
    z.writestr(link, "/etc/passwd")
MAKE
for refused in cut climb noskin link; do
  pushd empty >/dev/null
  "$kavinel" "../$refused.kavinel" &
  program_pid=$!
  popd >/dev/null
  box=$(timeout 20 xdotool search --sync --onlyvisible --class kavinel | head -n 1)
  [[ -n "$box" ]] || fail "no message for $refused.kavinel"
  xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
  status=0
  wait "$program_pid" || status=$?
  [[ $status -eq 1 ]] || fail "$refused.kavinel ended with status $status"
  [[ $(ls -A "$HOME/Kavinel") == $'set\nset-2' ]] || fail "left in ~/Kavinel: $(ls -A "$HOME/Kavinel")"
done
[[ ! -e "$work/escaped.bmp" && ! -e "$HOME/escaped.bmp" ]] || fail "a name climbed out of the folder"

# Ended while it unpacks, each flush held back a second so that the end comes mid-way: the
# unpack's temporary folder goes with it. A start also removes an unpack left by a launcher
# that was killed outright (its lock free), but not one whose owner still holds its lock.
mkdir "$HOME/Kavinel/.kavinel-old" "$HOME/Kavinel/.kavinel-busy"
touch "$HOME/Kavinel/.kavinel-old/"{.kavinel-lock,シェイプ.bmp} "$HOME/Kavinel/.kavinel-busy/.kavinel-lock"
exec 9<"$HOME/Kavinel/.kavinel-busy/.kavinel-lock"
flock 9  # held by this shell, as a launcher at work holds its own
strace -f -qq -o /dev/null -e trace=fsync -e inject=fsync:delay_exit=1000000 "$kavinel" set.kavinel &
tracer=$!
for _ in $(seq 200); do
  compgen -G "$HOME/Kavinel/.kavinel-??????/*.bmp" >/dev/null && break
  sleep 0.05
done
compgen -G "$HOME/Kavinel/.kavinel-??????/*.bmp" >/dev/null || fail "no unpack under way"
kill -TERM "$(pgrep -P "$tracer")"
status=0
wait "$tracer" || status=$?
exec 9<&-
[[ $status -eq 143 ]] || fail "the launcher ended with status $status, not by SIGTERM"
[[ $(ls -A "$HOME/Kavinel") == $'.kavinel-busy\nset\nset-2' ]] ||
  fail "left in ~/Kavinel: $(ls -A "$HOME/Kavinel")"
echo "1 passed, 0 failed"
