#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit tests and the fuzz seed replays).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
SHELFMARK_TARGETS= "$root/tools/build.sh" "$@"
build=${SHELFMARK_BUILD_DIR:-$root/build}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 900
