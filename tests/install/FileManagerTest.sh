#!/usr/bin/env bash
# Installs the build into a scratch prefix and looks at doll files as a file manager does,
# with no display: the prefix's MIME package, built into its database, gives a doll file its
# type by the name's suffix and, under a name without one, by its content (a ZIP of another
# type keeps its own); and the thumbnailer, run by the command line its entry gives, writes
# a PNG of the size asked for over the file the file manager made for it, leaving nothing
# in its temporary folder. The doll files are made here with Python's zipfile, not ours.
set -euo pipefail
fail() {
  echo "$*"
  exit 1
}
build=$(realpath "$1")
samples=$(realpath "$2")

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix
unset LD_LIBRARY_PATH DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
cmake --install "$build" --prefix "$prefix" >/dev/null

# zip FILE TYPE NAME=PICTURE…: a ZIP whose first entry, "mimetype", is stored and holds TYPE.
zip() {
  python3 - "$@" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as archive:
    archive.writestr(zipfile.ZipInfo("mimetype"), sys.argv[2], zipfile.ZIP_STORED)
    for entry in sys.argv[3:]:
        name, picture = entry.split("=", 1)
        archive.write(picture, name, zipfile.ZIP_DEFLATED)
EOF
}
pictures=()
for file in "$samples"/*.bmp; do pictures+=("${file##*/}=$file"); done
zip "$scratch/doll" application/x-kavinel "${pictures[@]}"
zip "$scratch/other" application/x-other "${pictures[@]}"
cp "$scratch/other" "$scratch/other.kavinel"
# The outline's picture as the skin: 100 pixels wide, too narrow to go round the doll.
zip "$scratch/narrow.kavinel" application/x-kavinel "シェイプ.bmp=$samples/シェイプ.bmp" \
  "テクスチャ.bmp=$samples/シェイプ.bmp"

# The database of the prefix, searched before the system's, and nobody's own. By the name
# alone, whatever the content; by the content alone, only a doll file's.
export XDG_DATA_DIRS=$prefix/share:/usr/share XDG_DATA_HOME=$scratch/data HOME=$scratch
update-mime-database "$prefix/share/mime"
for expected in other.kavinel=application/x-kavinel doll=application/x-kavinel \
  other=application/zip; do
  file=${expected%%=*}
  type=$(gio info -a standard::content-type "$scratch/$file" | sed -n 's/^ *standard::content-type: //p')
  [[ "$type" == "${expected#*=}" ]] || fail "$file is $type, not ${expected#*=}"
done

# The thumbnailer's entry, its command line filled in and run in a bare environment.
entry=$prefix/share/thumbnailers/kavinel.thumbnailer
[[ $(sed -n 's/^MimeType=//p' "$entry") == "application/x-kavinel;" ]] || fail "the entry's type"
[[ -x $(sed -n 's/^TryExec=//p' "$entry") ]] || fail "the entry's TryExec is not there"
read -ra words <<<"$(sed -n 's/^Exec=//p' "$entry")"
mkdir "$scratch/tmp"
# thumbnail INPUT OUTPUT: runs the entry's command as a file manager does.
thumbnail() {
  local command=() word
  for word in "${words[@]}"; do
    case $word in %s) word=128 ;; %i) word=$1 ;; %o) word=$2 ;; esac
    command+=("$word")
  done
  env -i PATH=/usr/bin:/bin TMPDIR="$scratch/tmp" "${command[@]}"
}
head -c 100000 /dev/urandom >"$scratch/out"  # made beforehand, larger, without a suffix
thumbnail "$scratch/doll" "$scratch/out" || fail "the thumbnailer failed"
[[ $(file -b "$scratch/out") == "PNG image data, 128 x 128, 8-bit/color RGBA, non-interlaced" ]] ||
  fail "not a 128 x 128 PNG: $(file -b "$scratch/out")"
[[ $(tail -c 8 "$scratch/out" | head -c 4) == IEND ]] || fail "the PNG is followed by what was there"
for input in narrow.kavinel other; do
  ! thumbnail "$scratch/$input" "$scratch/out" 2>"$scratch/said" || fail "$input was drawn"
  grep -q "^kavinel-thumbnailer: .*$input" "$scratch/said" || fail "$input: $(cat "$scratch/said")"
done
[[ -z $(ls -A "$scratch/tmp") ]] || fail "the thumbnailer left $(ls -A "$scratch/tmp")"
status=0
"$prefix/lib/kavinel/kavinel-thumbnailer" -s 0 "$scratch/doll" "$scratch/out" 2>/dev/null || status=$?
[[ $status -eq 2 ]] || fail "size 0 ended with $status, not 2"
echo "1 passed, 0 failed"
