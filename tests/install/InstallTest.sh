#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as a person would, under Xvfb:
# the menu entry starts the program in ~/Kavinel (made and filled with the sample doll on the
# first start) and Save writes out00.bmp there; started as `kavinel` from a terminal it works
# in the terminal's folder instead, or, in a folder without a doll, says so and works in
# ~/Kavinel. The sample's inner dolls come only into a ~/Kavinel made afresh, never into a
# doll of one's own. The program must find its sound library by itself.
set -euo pipefail
source "$(dirname "$0")/../e2e/XSession.sh"
run_under_xvfb "$0" "$@"
build=$(realpath "$1")
samples=$(realpath "$2")

# The inner dolls' pictures in a folder: シェイプ2.bmp, テクスチャ2.bmp, …
level_pictures() { (cd "$1" && ls -d {シェイプ,テクスチャ}[1-9]*.bmp 2>/dev/null) || true; }
[[ -n $(level_pictures "$samples") ]] || fail "the sample has no inner dolls"
# Every picture of the sample, inner dolls included, is in the folder $1.
has_sample() {
  local file
  for file in "$samples"/*.bmp; do
    cmp -s "$file" "$1/${file##*/}" || fail "$1 lacks the sample's ${file##*/}"
  done
}

scratch=$(mktemp -d)
trap 'stop_program; rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
export HOME=$scratch/home
mkdir -p "$HOME"
unset LD_LIBRARY_PATH
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/kavinel lib/kavinel/Kavinel lib/kavinel/kavinel-launcher \
  lib/kavinel/kavinel-thumbnailer lib/kavinel/dat/libGuruGuruSMF.so \
  share/applications/org.example.kavinel.desktop share/dbus-1/services/org.example.kavinel.service \
  share/icons/hicolor/48x48/apps/org.example.kavinel.png \
  share/icons/hicolor/256x256/apps/org.example.kavinel.png \
  share/kavinel/samples/シェイプ.bmp share/kavinel/samples/テクスチャ.bmp; do
  [[ -e "$prefix/$file" ]] || fail "not installed: $file"
done
has_sample "$prefix/share/kavinel/samples"
entry=$prefix/share/applications/org.example.kavinel.desktop
desktop-file-validate "$entry" || fail "the menu entry is not valid"
grep -qx 'MimeType=application/x-kavinel;' "$entry" || fail "the menu entry opens no doll file"
for key in Name GenericName Comment Keywords; do
  grep -q "^$key=[ -~]" "$entry" && grep -q "^$key\[ja\]=" "$entry" ||
    fail "the menu entry lacks $key in English or in Japanese"
done
# What software centres show: valid, and tied to the menu entry installed beside it.
metainfo=$prefix/share/metainfo/org.example.kavinel.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$prefix/validate.txt" 2>&1 &&
  ! grep -qiE '^W:|warning' "$prefix/validate.txt" || fail "the metainfo: $(cat "$prefix/validate.txt")"
desktop-file-validate "$entry" >"$prefix/validate.txt" 2>&1 && [[ ! -s "$prefix/validate.txt" ]] ||
  fail "the menu entry: $(cat "$prefix/validate.txt")"
# Its summary is short and no sentence; both hold the doll's names in both languages.
summary=$(sed -n 's:.*<summary>\(.*\)</summary>.*:\1:p' "$metainfo")
((${#summary} <= 35)) && [[ $summary != *. ]] || fail "the summary '$summary' is long or a sentence"
for name in matryoshka 'nesting doll' マトリョーシカ 入れ子人形; do
  grep -q "<keyword[^>]*>$name</keyword>" "$metainfo" && grep -q "^Keywords.*=.*$name;" "$entry" ||
    fail "'$name' is not a keyword of both"
done
# The manual page in both languages, read without a complaint.
for page in share/man/man1/kavinel.1 share/man/ja/man1/kavinel.1; do
  LANG=C.UTF-8 man --warnings -E UTF-8 -l "$prefix/$page" 2>&1 >/dev/null | grep . && fail "man complains of $page"
  grep -q 'FILE.kavinel' "$prefix/$page" || fail "$page is not installed"
done
desktop_id=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
[[ -f "$prefix/share/applications/$desktop_id" ]] || fail "the metainfo launches '$desktop_id', not installed"
# One ID for the metainfo, the menu entry, its icon and the session bus, whose service starts the
# launcher; the menu entry is activated by the bus and keeps its command for desktops that do not.
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
service=$prefix/share/dbus-1/services/$id.service
[[ $desktop_id == "$id.desktop" && $(sed -n 's/^Icon=//p' "$entry") == "$id" &&
  $(sed -n 's/^Name=//p' "$service") == "$id" ]] || fail "the ID differs: $id, $desktop_id, $(cat "$service")"
grep -qx 'DBusActivatable=true' "$entry" || fail "the menu entry is not activated by the bus"
[[ $(sed -n 's/^Exec=//p' "$service") == "\"$prefix/lib/kavinel/kavinel-launcher\" --gapplication-service" ]] ||
  fail "the bus's service starts $(sed -n 's/^Exec=//p' "$service")"

# The menu entry's command, as a desktop runs it: from the home folder, with no file.
command=$(sed -n 's/^Exec=//p' "$entry")
[[ "$command" == "\"$prefix/lib/kavinel/kavinel-launcher\" %f" ]] || fail "Exec is $command"
cd "$HOME"
start_program "$prefix/lib/kavinel/kavinel-launcher"
grep -q " $prefix/lib/kavinel/dat/libGuruGuruSMF.so\$" "/proc/$program_pid/maps" ||
  fail "the program did not bind the installed sound library"
[[ $(readlink "/proc/$program_pid/cwd") == "$HOME/Kavinel" ]] || fail "not started in ~/Kavinel"
has_sample "$HOME/Kavinel"
click_save
wait_for_file "$HOME/Kavinel/out00.bmp"
check_sheet "$HOME/Kavinel/out00.bmp"
stop_program

# A doll of one's own in ~/Kavinel gains the picture it lacks from the sample, no inner dolls.
rm "$HOME/Kavinel"/*
cp "$samples/シェイプ.bmp" "$HOME/Kavinel"/
start_program "$prefix/lib/kavinel/kavinel-launcher"
cmp -s "$samples/テクスチャ.bmp" "$HOME/Kavinel/テクスチャ.bmp" || fail "texture not copied"
[[ -z $(level_pictures "$HOME/Kavinel") ]] || fail "inner dolls copied into ~/Kavinel's own doll"
stop_program

# From a terminal, the program works in the folder it is started in.
mkdir "$scratch/mine"
cp "$samples"/{シェイプ,テクスチャ}.bmp "$scratch/mine"/
cd "$scratch/mine"
start_program "$prefix/bin/kavinel"
[[ $(readlink "/proc/$program_pid/cwd") == "$scratch/mine" ]] || fail "not started in mine/"
click_save
wait_for_file "$scratch/mine/out00.bmp"
check_sheet "$scratch/mine/out00.bmp"
stop_program
[[ -z $(level_pictures "$scratch/mine") ]] || fail "inner dolls copied into mine/"

# Typed in a folder without a doll, the command says so on the terminal and starts in
# ~/Kavinel, prepared as the menu entry prepares it: here in a home where it was never made.
export HOME=$scratch/home2
mkdir -p "$HOME" "$scratch/empty"
cd "$scratch/empty"
start_program "$prefix/bin/kavinel" 2>"$scratch/said"
[[ $(readlink "/proc/$program_pid/cwd") == "$HOME/Kavinel" ]] || fail "not started in ~/Kavinel"
has_sample "$HOME/Kavinel"
grep -q "$HOME/Kavinel で起動します" "$scratch/said" || fail "the terminal was not told: $(cat "$scratch/said")"
[[ -z $(ls -A "$scratch/empty") ]] || fail "the command wrote into the folder without a doll"
stop_program
echo "1 passed, 0 failed"
