#!/usr/bin/env bash
# The whole set-up on any Debian 12 system, even one without make or a compiler: installs
# whatever is missing with apt (as root or through sudo), then hands over to `make test`.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh
exec make test "$@"
