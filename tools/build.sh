#!/usr/bin/env bash
# Configures and builds into build/ (or $SHELFMARK_BUILD_DIR); extra arguments go to cmake.
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
# SHELFMARK_TARGETS="a b" builds only those targets (and what they need); default: everything.
targets=()
for target in ${SHELFMARK_TARGETS:-}; do targets+=(--target "$target"); done
cmake --build "$build" -j "$(nproc)" "${targets[@]}"
