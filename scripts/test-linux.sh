#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and the benchmarks with warnings as
# errors and runs the GoogleTest and Qt Test programs, and each benchmark once on its
# smallest files.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPSION_WARNINGS_AS_ERRORS=ON
cmake --build build
QT_QPA_PLATFORM=offscreen ctest --test-dir build --output-on-failure --timeout 120
