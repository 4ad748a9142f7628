#!/usr/bin/env bash
# Builds the Debian package from a build folder (or takes a built kavinel_*.deb), installs it
# with apt as a person would, starts the menu entry's command under Xvfb and saves a sheet,
# then removes and purges the package: the user's ~/Kavinel and what was saved there must
# stay, and the package has no maintainer script that could touch them. Needs root, and is
# skipped (77) without it, or when a kavinel package this test did not install is already on
# the machine.
set -euo pipefail
source "$(dirname "$0")/../e2e/XSession.sh"
source=$(realpath "$1")

if [[ $(id -u) -ne 0 ]]; then
  echo "skipped: installing a package needs root"
  exit 77
fi
if dpkg-query -W -f='${Status}' kavinel 2>/dev/null | grep -q installed; then
  echo "skipped: a kavinel package is installed already, and this test would remove it"
  exit 77
fi
run_under_xvfb "$0" "$@"

scratch=$(mktemp -d)
installed=
cleanup() {
  stop_program
  [[ -n "$installed" ]] && dpkg --purge kavinel >/dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT
export HOME=$scratch/home
mkdir -p "$HOME"
export DEBIAN_FRONTEND=noninteractive

if [[ -f "$source" ]]; then
  package=$source
else
  # In a UTF-8 locale whatever the caller's (a bare root shell's is POSIX): the packager cannot
  # archive the sample's Japanese file names otherwise.
  LC_ALL=C.UTF-8 cpack -G DEB --config "$source/CPackConfig.cmake" -B "$scratch/package" \
    >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack could not build the package"; }
  package=$(ls "$scratch"/package/kavinel_*.deb)
fi
# Nothing of the package's own runs at install or removal, so nothing can touch ~/Kavinel.
dpkg-deb -e "$package" "$scratch/control"
for script in preinst postinst prerm postrm; do
  [[ ! -e "$scratch/control/$script" ]] || fail "the package has a $script script"
done
depends=$(dpkg-deb -f "$package" Depends)
for needed in libqt6widgets6 libjpeg62-turbo libgif7 libimagequant0 libpng16-16 libzip4 \
  qt6-qpa-plugins qt6-image-formats-plugins fonts-ipafont-gothic qt6-translations-l10n; do
  [[ "$depends" == *"$needed"* ]] || fail "the package does not depend on $needed: $depends"
done
recommends=$(dpkg-deb -f "$package" Recommends)
[[ "$recommends" == *qt6-wayland* ]] || fail "the package does not recommend qt6-wayland: $recommends"
# Its terms, in Debian's machine-readable format, GPL-3.0-or-later for the whole.
dpkg-deb --fsys-tarfile "$package" | tar -xO ./usr/share/doc/kavinel/copyright >"$scratch/copyright" ||
  fail "the package carries no /usr/share/doc/kavinel/copyright"
grep -q '^Format: .*copyright-format/1.0' "$scratch/copyright" &&
  grep -q '^License: GPL-3+$' "$scratch/copyright" || fail "the copyright file is not GPL-3+ in Debian's format"

# The doll file's type and its thumbnailer, for file managers, and the metainfo, for
# software centres.
dpkg-deb -c "$package" >"$scratch/contents"
for file in usr/share/mime/packages/kavinel.xml usr/share/thumbnailers/kavinel.thumbnailer \
  usr/share/metainfo/org.example.kavinel.metainfo.xml usr/share/man/man1/kavinel.1 \
  usr/share/dbus-1/services/org.example.kavinel.service \
  usr/share/man/ja/man1/kavinel.1; do
  grep -q " \./$file\$" "$scratch/contents" || fail "the package does not carry /$file"
done

installed=yes
apt-get install -y -q "$package" >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt could not install $package"; }
[[ $(command -v kavinel) == /usr/bin/kavinel ]] || fail "kavinel is not on the PATH"

# The doll file's type is in the system's database (shared-mime-info's trigger rebuilt it), and
# the thumbnailer's entry names a program that is there.
grep -qx application/x-kavinel /usr/share/mime/types || fail "the system does not know doll files"
thumbnailer=$(sed -n 's/^Exec=\([^ ]*\) .*/\1/p' /usr/share/thumbnailers/kavinel.thumbnailer)
[[ -x "$thumbnailer" ]] || fail "the thumbnailer's command '$thumbnailer' is not there"

# The menu entry's command, started from the home folder as a desktop starts it, with no file.
entry=/usr/share/applications/org.example.kavinel.desktop
desktop-file-validate "$entry" || fail "the menu entry is not valid"
grep -qx 'MimeType=application/x-kavinel;' "$entry" || fail "the menu entry opens no doll file"
command=$(sed -n 's/^Exec="\(.*\)" %f$/\1/p' "$entry")
[[ -x "$command" ]] || fail "the menu entry's command '$command' is not there"
cd "$HOME"
start_program "$command"
click_save
wait_for_file "$HOME/Kavinel/out00.bmp"
check_sheet "$HOME/Kavinel/out00.bmp"
stop_program

apt-get remove -y -q kavinel >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "apt could not remove kavinel"; }
[[ ! -e /usr/lib/kavinel && ! -e "$entry" && ! -e /usr/bin/kavinel ]] || fail "removal left files"
! grep -qx application/x-kavinel /usr/share/mime/types || fail "removal left the doll file's type"
dpkg --purge kavinel >/dev/null 2>&1
installed=
for file in シェイプ.bmp テクスチャ.bmp out00.bmp; do
  [[ -f "$HOME/Kavinel/$file" ]] || fail "removing the package took ~/Kavinel/$file"
done
echo "1 passed, 0 failed"
