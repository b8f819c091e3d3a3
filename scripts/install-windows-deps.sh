#!/usr/bin/env bash
# Installs the Debian packages that cross-building for Windows and running
# the Windows tests under Wine need, when missing.
# Usage: scripts/install-windows-deps.sh [extra package ...]
set -euo pipefail

exec "$(dirname "$0")/apt-install-missing.sh" \
    cmake ninja-build \
    g++-mingw-w64-x86-64-posix \
    googletest \
    wine wine64 \
    icoutils wixl msitools osslsigncode openssl \
    "$@"
