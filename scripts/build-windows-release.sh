#!/usr/bin/env bash
# Cross-builds the Release psion-interface.exe and psion-setup-code.exe into build-win-release.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-windows-deps.sh
# The windows-release preset: -O2, as the Debian packages are built, rather than CMake's -O3.
cmake --preset windows-release
cmake --build --preset windows-release
