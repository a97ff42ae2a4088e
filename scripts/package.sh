#!/usr/bin/env bash
# Builds release binaries in a build folder of their own (build/package) and writes the Debian
# packages into dist/: zka-upgrade_<version>_<arch>.deb (the wizard and the command line) and
# zka-camsim_<version>_<arch>.deb (the camera simulator). Compiler and linker flags are Debian's
# (dpkg-buildflags: hardening, and the source folder mapped to "." so that no build path is compiled
# in); dpkg-shlibdeps computes the run-time dependencies.
#
#   scripts/package.sh            then: apt install ./dist/zka-upgrade_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build/package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags=$(dpkg-buildflags --get CFLAGS)
cxxflags=$(dpkg-buildflags --get CXXFLAGS)
cppflags=$(dpkg-buildflags --get CPPFLAGS)
ldflags=$(dpkg-buildflags --get LDFLAGS)
# The time stamps of the man pages and archives: the last commit's, so that a rebuild of the same
# tree gives the same files.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

start=$(date +%s)
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DZKA_BUILD_TESTS=OFF -DZKA_PACKAGING=ON \
  -DCMAKE_C_FLAGS="$cflags $cppflags" \
  -DCMAKE_CXX_FLAGS="$cxxflags $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)

mkdir -p dist
rm -f dist/zka-upgrade_*.deb dist/zka-camsim_*.deb
mv "$build"/zka-upgrade_*.deb "$build"/zka-camsim_*.deb dist/
echo "Packages, built in $(( $(date +%s) - start )) s:"
ls -l dist/*.deb
