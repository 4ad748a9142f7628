#!/usr/bin/env bash
# Tries the Debian package on a fresh Debian 12 machine: debootstraps a minimal system into a
# folder, installs the package there with apt, lets an ordinary user start the menu entry's
# command under Xvfb and press Save, then removes the package and shows what the user's
# ~/Kavinel holds. Needs root and the network.  Usage: tools/check-fresh-debian.sh [folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=$(realpath -m "${1:-/tmp/kavinel-fresh-debian}")
package=$(ls "$here"/kavinel_*.deb 2>/dev/null | head -n 1)
[[ -n "$package" ]] || { echo "no kavinel_*.deb here: run make package first" >&2; exit 1; }

command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
[[ -d "$root/etc" ]] || debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
cp /etc/resolv.conf "$root/etc/"
mkdir -p "$root/opt/check"
cp "$package" "$here/tests/e2e/XSession.sh" "$root/opt/check/"
for m in proc sys dev dev/pts; do mountpoint -q "$root/$m" || mount --bind "/$m" "$root/$m"; done
trap 'for m in dev/pts dev sys proc; do umount "$root/$m" 2>/dev/null || true; done' EXIT

cat >"$root/opt/check/as-user.sh" <<'USER'
#!/bin/bash
set -euo pipefail
source /opt/check/XSession.sh
run_under_xvfb "$0" "$@"
cd ~
command=$(sed -n 's/^Exec="\(.*\)"$/\1/p' /usr/share/applications/kavinel.desktop)
echo "the menu entry's command: $command, started in $PWD"
start_program "$command"
echo "the program works in: $(readlink "/proc/$program_pid/cwd")"
click_save
wait_for_file ~/Kavinel/out00.bmp
check_sheet ~/Kavinel/out00.bmp
stop_program
USER
cat >"$root/opt/check/check.sh" <<'MACHINE'
#!/bin/bash
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
cd /opt/check
apt-get update -q >/dev/null
echo "== apt install ./$(ls kavinel_*.deb)"
apt-get install -y -q ./kavinel_*.deb | grep -E "newly installed|^Setting up kavinel"
echo "== test tools only, not needed by the package: xvfb xauth xdotool"
apt-get install -y -q --no-install-recommends xvfb xauth xdotool >/dev/null
id anna >/dev/null 2>&1 || useradd -m -s /bin/bash anna
chmod 755 /opt/check/as-user.sh
echo "== as the user anna"
su - anna -c /opt/check/as-user.sh
ls -l /home/anna/Kavinel
echo "== apt remove kavinel, dpkg --purge kavinel"
apt-get remove -y -q kavinel | grep -E "^Removing"
dpkg --purge kavinel >/dev/null 2>&1
[[ ! -e /usr/lib/kavinel && ! -e /usr/bin/kavinel ]] && echo "the program is gone"
echo "== ~anna/Kavinel after the removal"
ls -l /home/anna/Kavinel
MACHINE
chmod +x "$root/opt/check/check.sh"
chroot "$root" /opt/check/check.sh
