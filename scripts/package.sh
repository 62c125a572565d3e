#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the programs as a Release and makes the Debian package qvm8-zul_<version>_<arch>.deb.
#   scripts/package.sh                       build in build-package/, package there
#   scripts/package.sh --build-dir DIR       another build folder
#   scripts/package.sh --werror              warnings are errors (as CI builds)
# Only the programs are built (no tests, no benchmarks). The compiler and linker flags are
# Debian's hardening flags (dpkg-buildflags); the package's dependencies are found from the
# libraries the programs link (dpkg-shlibdeps). Prints the path of the package at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-package
werror=OFF
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) dir="${2:?--build-dir needs a folder}"; shift ;;
    --werror) werror=ON ;;
    *) echo "usage: scripts/package.sh [--build-dir DIR] [--werror]" >&2; exit 64 ;;
  esac
  shift
done

scripts/deps.sh --packaging

jobs=$(nproc 2>/dev/null || echo 2)
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQVM8_BUILD_TESTS=OFF -DQVM8_BUILD_BENCH=OFF -DQVM8_WERROR="$werror" \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >/dev/null
cmake --build "$dir" -j "$jobs"

rm -f "$dir"/qvm8-zul_*.deb
(cd "$dir" && cpack -G DEB >/dev/null)
deb=$(ls "$dir"/qvm8-zul_*.deb)
echo "$deb"
