#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Kavinel need.
# Only missing packages are installed; apt runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libjpeg62-turbo-dev libpng-dev libgif-dev libimagequant-dev libzip-dev libxcb1-dev
  zip unzip p7zip-full libarchive-tools ziptool
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool x11-utils openbox
  weston qt6-wayland
  qt6-qpa-plugins qt6-image-formats-plugins file desktop-file-utils
  shared-mime-info libglib2.0-bin python3 appstream
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 dbus dbus-daemon dbus-bin
  fonts-ipafont-gothic
  clang-format
  clang libclang-rt-14-dev
  strace dosfstools man-db
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  sudo=()
elif command -v sudo >/dev/null; then
  sudo=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
