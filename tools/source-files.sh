#!/usr/bin/env bash
# Lists the project's C++ sources, one a line, for clang-format: the files git tracks in a
# clone, and in a source tarball (or wherever git is missing) every .cpp and .h of the tree
# but those in build folders (any folder holding a CMakeCache.txt) and hidden ones.
set -euo pipefail
cd "$(dirname "$0")/.."

if top=$(git rev-parse --show-toplevel 2>/dev/null) && [[ "$top" -ef . ]]; then
  git -c core.quotePath=false ls-files '*.cpp' '*.h'
else
  find . -mindepth 1 -type d \( -name '.*' -o -exec test -e '{}/CMakeCache.txt' \; \) -prune \
    -o -type f \( -name '*.cpp' -o -name '*.h' \) -printf '%P\n' | LC_ALL=C sort
fi
