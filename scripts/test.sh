#!/usr/bin/env bash
# Runs every test: the Linux build with its Qt tests, the Windows build under Wine,
# then the Debian packages and the Windows installer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/check-format.sh
scripts/test-linux.sh
scripts/test-windows.sh
scripts/test-packages.sh
