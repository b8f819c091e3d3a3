#!/usr/bin/env bash
# Runs every test: the Linux build with its Qt tests, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/check-format.sh
scripts/test-linux.sh
scripts/test-windows.sh
