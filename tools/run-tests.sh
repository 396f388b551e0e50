#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (unit tests and the fuzz seed replays).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
SHELFMARK_TARGETS= "$root/tools/build.sh" "$@"
build=${SHELFMARK_BUILD_DIR:-$root/build}
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 900
# The Debian packages made from the same sources and checked with lintian (no errors); as root
# they are also installed, run from /usr/bin, completed in bash and purged again.
if [ "$(id -u)" -eq 0 ]; then
    "$root/tools/package.sh" --install-test
else
    "$root/tools/package.sh"
fi
