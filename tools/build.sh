#!/usr/bin/env bash
# Configures and builds into build/ (or $SHELFMARK_BUILD_DIR); extra arguments go to cmake.
# $SHELFMARK_TARGETS (space-separated) builds only those targets, e.g. one test under a
# sanitizer: SHELFMARK_BUILD_DIR=build-tsan SHELFMARK_TARGETS=reading_session_tests \
#   ./tools/build.sh -DSHELFMARK_SANITIZE=thread
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SHELFMARK_BUILD_DIR:-$root/build}
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
if command -v ccache >/dev/null; then
    # Paths below the checkout's parent hash as relative ones, so checkouts side by side share objects.
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSHELFMARK_WERROR=$werror "${launcher[@]}" "$@" >/dev/null
targets=()
for target in ${SHELFMARK_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
