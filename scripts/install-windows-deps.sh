#!/usr/bin/env bash
# Installs the Debian packages that cross-building for Windows and running
# the Windows tests under Wine need, when missing.
# Usage: scripts/install-windows-deps.sh [extra package ...]
set -euo pipefail

packages=(
    cmake ninja-build
    g++-mingw-w64-x86-64-posix
    googletest
    wine wine64
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
