#!/usr/bin/env bash
# Builds the source the way a packager does, in a fresh folder: Release, Unix Makefiles, g++,
# every target, with warnings as errors. Any compiler warning fails the build, and any warning
# of CMake's, while configuring or building, fails the test.
# Usage: ReleaseBuildTest.sh <source folder>
set -euo pipefail
source=$(realpath "$1")

fail() {
  echo "$*"
  exit 1
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
trap 'exit 1' INT TERM

started=$SECONDS
cmake -S "$source" -B "$scratch/build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_COMPILER=g++ -DKAVINEL_WERROR=ON >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log"; fail "the configure step failed"; }
if grep -q 'CMake.*Warning' "$scratch/configure.log"; then
  cat "$scratch/configure.log"
  fail "CMake warned while configuring"
fi
# Ended well before ctest's own timeout, whose kill would leave the compilers running and the
# folder behind.
timeout 1500 cmake --build "$scratch/build" -j "$(nproc)" >"$scratch/build.log" 2>&1 ||
  { cat "$scratch/build.log"; fail "the Release build failed"; }
# Warnings that are no compiler's: the linker's, Qt's code generators', CMake's on a re-run.
if grep -qi 'warning' "$scratch/build.log"; then
  cat "$scratch/build.log"
  fail "the build warned"
fi
echo "built without a warning in $((SECONDS - started)) s"
