#!/usr/bin/env bash
# Builds the Debian packages into build-deb/packages: psion-interface (the field
# program) and psion-setup-code (the support tool), from a Release build with
# Debian's hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh dpkg-dev file
# Debian's compiler and linker flags, with every hardening feature.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
# -O2, the optimisation Debian builds its own packages with, rather than CMake's -O3.
cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DPSION_BUILD_BENCHMARKS=OFF \
    -DPSION_WARNINGS_AS_ERRORS=ON -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
cmake --build build-deb
rm -f build-deb/packages/*.deb
(cd build-deb && cpack -G DEB)
ls -l build-deb/packages/*.deb
