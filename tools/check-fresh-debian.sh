#!/usr/bin/env bash
# Tries the Debian package on a fresh Debian 12 machine: debootstraps a minimal system into a
# folder and runs the package test there on ./kavinel_*.deb (apt install, the menu entry's
# command under Xvfb, Save, apt remove). Needs root and the network.
# Usage: tools/check-fresh-debian.sh [folder]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
root=$(realpath -m "${1:-/tmp/kavinel-fresh-debian}")
package=$(ls "$here"/kavinel_*.deb 2>/dev/null | head -n 1)
[[ -n "$package" ]] || { echo "no kavinel_*.deb here: run make package first" >&2; exit 1; }

# The mirror this machine's apt already takes bookworm's main component from (and its proxy),
# so that the check works wherever apt works.
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 2>/dev/null |
  awk '($2 == "bookworm" || $2 == "stable") && $3 == "main" { print $1; exit }')
[[ -n "$mirror" ]] || { echo "apt has no bookworm main source here: run apt-get update" >&2; exit 1; }
eval "$(apt-config shell http_proxy Acquire::http::Proxy)"
[[ -n "${http_proxy:-}" ]] && export http_proxy

command -v debootstrap >/dev/null || apt-get install -y -q debootstrap
[[ -d "$root/etc" ]] || debootstrap --variant=minbase bookworm "$root" "$mirror"
cp /etc/resolv.conf "$root/etc/"
mkdir -p "$root/opt/check/tests"
cp "$package" "$root/opt/check/"
cp -r "$here/tests/e2e" "$here/tests/install" "$root/opt/check/tests/"
for m in proc sys dev dev/pts; do mountpoint -q "$root/$m" || mount --bind "/$m" "$root/$m"; done
trap 'for m in dev/pts dev sys proc; do umount "$root/$m" 2>/dev/null || true; done' EXIT

# Xvfb and xdotool drive the test; the package brings everything else it needs.
chroot "$root" /bin/bash -c "set -e
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends xvfb xauth xdotool >/dev/null
  /opt/check/tests/install/PackageTest.sh /opt/check/$(basename "$package")"
