#!/usr/bin/env bash
# Installs what is missing, builds, and catalogues the bundled sample folder (samples/disk)
# into build/sample.tkd, then shows what the catalog holds; with a display, opens it in the
# desktop program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
# Only the programs: the sample needs no tests, benchmarks or plug-ins. With a display the
# desktop program is built too and opens the sample catalog at the end.
targets=shelfmark-cli
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    targets="shelfmark-cli shelfmark"
fi
SHELFMARK_TARGETS="$targets" "$root/tools/build.sh"
build=${SHELFMARK_BUILD_DIR:-$root/build}
cli="$build/cli/shelfmark-cli"
catalog="$build/sample.tkd"
rm -f "$catalog"
"$cli" --version
"$cli" read "$catalog" "$root/samples/disk" --name "Sample Disk"
"$cli" info "$catalog"
"$cli" tree "$catalog"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$build/app/shelfmark" "$catalog"
fi
