#!/usr/bin/env bash
# Cross-builds the Release Windows programs and packs them into build-win-release/packages:
# the installer of the field program (psion-interface-<version>-win64.exe), a ZIP of
# psion-interface.exe alone and a ZIP of the support tool psion-setup-code.exe alone.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-windows-deps.sh nsis
scripts/build-windows-release.sh
rm -f build-win-release/packages/*.exe build-win-release/packages/*.zip
(cd build-win-release && cpack)
ls -l build-win-release/packages/*.exe build-win-release/packages/*.zip
