#!/usr/bin/env bash
# Installs the Debian packages that building and testing the Linux program need, when missing.
# Usage: scripts/install-deps.sh [extra package ...]
set -euo pipefail

exec "$(dirname "$0")/apt-install-missing.sh" \
    cmake ninja-build g++ clang-format pkg-config \
    libgtest-dev libgmock-dev libbenchmark-dev \
    qt6-base-dev qt6-base-dev-tools libgl-dev \
    fonts-liberation fonts-urw-base35 \
    xterm xvfb xdotool \
    wine wine64 \
    gcc-mingw-w64-x86-64-posix socat \
    acl attr \
    librsvg2-bin icoutils \
    "$@"
