#!/usr/bin/env bash
# Installs what is missing, builds, and runs the program on a scratch copy of
# the bundled demo drive, so that a Save never changes the committed files.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh xterm
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target psion-interface psion-setup-code

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "psion-interface: no display is available (DISPLAY is not set)." >&2
    echo "Run it from a desktop session, or under Xvfb: xvfb-run scripts/demo.sh" >&2
    exit 1
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/psion-demo.XXXXXX")
cp -R examples/demo-drive/. "$scratch/"
echo "Demo drive copied to $scratch"
HOMEDRIVE="$scratch" exec build/psion-interface
