#!/bin/sh
# Installs the libdiscora1 and libdiscora-dev components of a build tree into a temporary prefix, then compiles and links
# the example program with nothing but the installed header, library and pkg-config file.
# Usage: build-example.sh BUILD_DIR EXAMPLE_DIR CXX
set -eu
build=$1
examples=$2
cxx=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
for component in libdiscora1 libdiscora-dev; do
    cmake --install "$build" --component "$component" --prefix "$prefix" >/dev/null
done
pc=$(find "$prefix" -name discora.pc)
test -n "$pc"
export PKG_CONFIG_PATH=$(dirname "$pc")
# shellcheck disable=SC2046
"$cxx" -std=c++17 -Wall -Wextra -o "$prefix/discora-lookup" "$examples/discora-lookup.cpp" \
    $(pkg-config --cflags --libs discora) -Wl,-rpath,"$(pkg-config --variable=libdir discora)"
# Without arguments the example prints its usage and exits with status 2.
status=0
"$prefix/discora-lookup" >/dev/null 2>&1 || status=$?
test "$status" -eq 2
# The calling order works end to end: a query answered by a stub that closes at once fails cleanly.
"$prefix/discora-lookup" "127.0.0.1 http 1 /~cddb/cddb.cgi N000.00 W000.00 nothing" 150 15000 30000 \
    >/dev/null 2>&1 && exit 1
echo "example built and ran against $prefix"
