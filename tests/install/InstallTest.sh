#!/usr/bin/env bash
# Installs the build into a scratch prefix and uses it as a person would, under Xvfb:
# the menu entry starts the program in ~/Kavinel (made and filled with the sample doll on the
# first start) and Save writes out00.bmp there; started as `kavinel` from a terminal it works
# in the terminal's folder instead. The program must find its sound library by itself.
set -euo pipefail
source "$(dirname "$0")/../e2e/XSession.sh"
run_under_xvfb "$0" "$@"
build=$(realpath "$1")
samples=$(realpath "$2")

scratch=$(mktemp -d)
trap 'stop_program; rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
export HOME=$scratch/home
mkdir -p "$HOME"
unset LD_LIBRARY_PATH
cmake --install "$build" --prefix "$prefix" >/dev/null

for file in bin/kavinel lib/kavinel/Kavinel lib/kavinel/kavinel-launcher \
  lib/kavinel/dat/libGuruGuruSMF.so share/applications/kavinel.desktop \
  share/icons/hicolor/48x48/apps/kavinel.png share/icons/hicolor/256x256/apps/kavinel.png \
  share/kavinel/samples/シェイプ.bmp share/kavinel/samples/テクスチャ.bmp; do
  [[ -e "$prefix/$file" ]] || fail "not installed: $file"
done
entry=$prefix/share/applications/kavinel.desktop
desktop-file-validate "$entry" || fail "the menu entry is not valid"

# The menu entry's command, as a desktop runs it: from the home folder.
command=$(sed -n 's/^Exec=//p' "$entry")
[[ "$command" == "\"$prefix/lib/kavinel/kavinel-launcher\"" ]] || fail "Exec is $command"
cd "$HOME"
start_program "$prefix/lib/kavinel/kavinel-launcher"
grep -q " $prefix/lib/kavinel/dat/libGuruGuruSMF.so\$" "/proc/$program_pid/maps" ||
  fail "the program did not bind the installed sound library"
[[ $(readlink "/proc/$program_pid/cwd") == "$HOME/Kavinel" ]] || fail "not started in ~/Kavinel"
cmp -s "$samples/シェイプ.bmp" "$HOME/Kavinel/シェイプ.bmp" || fail "shape image not copied"
cmp -s "$samples/テクスチャ.bmp" "$HOME/Kavinel/テクスチャ.bmp" || fail "texture not copied"
click_save
wait_for_file "$HOME/Kavinel/out00.bmp"
check_sheet "$HOME/Kavinel/out00.bmp"
stop_program

# From a terminal, the program works in the folder it is started in.
mkdir "$scratch/mine"
cp "$samples"/*.bmp "$scratch/mine"/
cd "$scratch/mine"
start_program "$prefix/bin/kavinel"
[[ $(readlink "/proc/$program_pid/cwd") == "$scratch/mine" ]] || fail "not started in mine/"
click_save
wait_for_file "$scratch/mine/out00.bmp"
check_sheet "$scratch/mine/out00.bmp"
stop_program
echo "1 passed, 0 failed"
