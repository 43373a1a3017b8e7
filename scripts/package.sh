#!/usr/bin/env bash
# Builds the Debian package of Pelimond: BUILD_DIR/pelimond_<version>_<arch>.deb.
#   scripts/package.sh [BUILD_DIR]      (default: build)
# Then, as root: apt-get install ./build/pelimond_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scripts/deps.sh --package
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# What the package's install rules take: the programs, the program folder's files, the icons and
# documentation files, and the simulated site (the install rules write it; the package leaves it
# out).
cmake --build "$build" -j"$(nproc)" --target pelimond pelimond-cli talvex-sim \
    pelimond_program_data pelimond_webimage pelimond_help pelimond_package_files
rm -f "$build"/pelimond_*.deb
if ! (cd "$build" && cpack -G DEB) >"$build/cpack.log" 2>&1; then
    cat "$build/cpack.log" >&2
    exit 1
fi
ls "$build"/pelimond_*.deb
