#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and the benchmarks with warnings as
# errors (the dev preset, build/) and runs the GoogleTest and Qt Test programs, and each
# benchmark once on its smallest files.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset dev
cmake --build --preset dev
ctest --preset dev
