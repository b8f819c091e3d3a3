#!/usr/bin/env bash
# Cross-builds the Release psion-interface.exe and psion-setup-code.exe into build-win-release.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-windows-deps.sh
# -O2, as the Debian packages are built, rather than CMake's -O3.
cmake -S . -B build-win-release -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPSION_WARNINGS_AS_ERRORS=ON \
    -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG"
cmake --build build-win-release
