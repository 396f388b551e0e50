#!/usr/bin/env bash
# Configures and builds into build/ (or $SHELFMARK_BUILD_DIR); extra arguments go to cmake.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SHELFMARK_BUILD_DIR:-$root/build}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHELFMARK_WERROR=$werror "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
