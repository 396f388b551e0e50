#!/usr/bin/env bash
# Builds the Debian packages shelfmark, libdiscora1 and libdiscora-dev with CPack in
# build-package/ (or $SHELFMARK_PACKAGE_DIR), configured for /usr, and checks them with lintian
# (no errors allowed). Only what the packages hold is built.
# --install-test installs them with apt-get (root needed), runs /usr/bin/shelfmark-cli --version,
# man shelfmark-cli and a bash completion, and purges them again.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SHELFMARK_PACKAGE_DIR:-$root/build-package}
install_test=false
[ "${1:-}" = "--install-test" ] && install_test=true

SHELFMARK_BUILD_DIR=$build SHELFMARK_TARGETS=discora "$root/tools/build.sh" \
    -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON -DSHELFMARK_BENCH=OFF
targets="shelfmark-cli man-pages man-pages-gz package-changelog"
known=$(cmake --build "$build" --target help)
for optional in shelfmark hvsm_images; do
    if grep -qx "\.\.\. $optional" <<<"$known"; then
        targets="$targets $optional"
    fi
done
SHELFMARK_BUILD_DIR=$build SHELFMARK_TARGETS="$targets" "$root/tools/build.sh"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/*.deb
lintian --fail-on error --suppress-tags-from-file /dev/null "$build"/*.deb

if $install_test; then
    apt-get install -y "$build"/*.deb >/dev/null
    trap 'apt-get purge -y shelfmark libdiscora-dev libdiscora1 >/dev/null' EXIT
    /usr/bin/shelfmark-cli --version
    man -P cat shelfmark-cli | head -5
    bash -c 'source /usr/share/bash-completion/completions/shelfmark-cli
             COMP_WORDS=(shelfmark-cli tre); COMP_CWORD=1; _shelfmark_cli
             [ "${COMPREPLY[*]}" = tree ]' && echo "completion: tree"
fi
