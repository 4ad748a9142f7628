#!/usr/bin/env bash
# A drop, and undo and redo, where the file system has no hard links: on a real FAT file
# system where this machine lets root mount one from a file, otherwise with link() failing
# as it does there.
# Usage: NoHardLinks.sh <kavinel_window_tests> <no_hard_links library>
set -euo pipefail
tests=$1
no_links=$2
drop=SkinDrop.TheOldSkinIsKeptByteForByteUnderTheFirstFreeBackupName
undo=Reshape.UndoAndRedoWalkAMixedHistoryAndNoFileIsEverLost

image=$(mktemp)
mount_point=$(mktemp -d)
mounted=false
cleanup() {
  if $mounted; then umount "$mount_point"; fi
  rmdir "$mount_point"
  rm -f "$image"
}
trap cleanup EXIT

mount_fat() {
  [[ $(id -u) == 0 ]] && command -v mkfs.vfat >/dev/null || return 1
  truncate -s 16M "$image" && mkfs.vfat "$image" >/dev/null || return 1
  mount -o loop,utf8 "$image" "$mount_point" 2>/dev/null && mounted=true
}

if mount_fat; then
  echo "a FAT file system mounted from a file"
  run=(env TMPDIR="$mount_point" "$tests")
else
  echo "no FAT file system can be mounted here: link() fails with EPERM through LD_PRELOAD"
  # A sanitizer's runtime would otherwise refuse to come after the stand-in.
  run=(env LD_PRELOAD="$no_links" ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" "$tests")
fi
"${run[@]}" --gtest_filter="$drop:$undo" | tee /dev/stderr | grep '^\[  PASSED  \] 2 tests\.$' >/dev/null
