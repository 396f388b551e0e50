#!/usr/bin/env bash
# Installs what is missing, builds, and catalogues the bundled sample folder (samples/disk)
# into build/sample.tkd, then shows what the catalog holds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
# Only the command-line tool: the sample needs no tests, benchmarks or plug-ins.
SHELFMARK_TARGETS=shelfmark-cli "$root/tools/build.sh"
build=${SHELFMARK_BUILD_DIR:-$root/build}
cli="$build/cli/shelfmark-cli"
catalog="$build/sample.tkd"
rm -f "$catalog"
"$cli" --version
"$cli" read "$catalog" "$root/samples/disk" --name "Sample Disk"
"$cli" info "$catalog"
"$cli" tree "$catalog"
