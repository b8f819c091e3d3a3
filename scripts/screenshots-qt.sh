#!/usr/bin/env bash
# Screenshots of the Linux program at Qt scale factors 1, 1.25, 1.5 and 2: the main window,
# the setup dialog, the contact dialog and a message box, each on a private virtual X
# server, taken with ImageMagick's import. They are for looking at: whether every caption
# shows whole and the layout follows the form tables (test_caption_fit measures it).
# Usage: scripts/screenshots-qt.sh [output folder]   (build/screenshots/qt unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots/qt}")

scripts/install-deps.sh imagemagick openbox
cmake --preset demo >/dev/null
cmake --build --preset demo >/dev/null

scratch=$(mktemp -d "${TMPDIR:-/tmp}/psion-shots.XXXXXX")
before_cleanup() { rm -rf "$scratch"; }
source scripts/screenshot-steps.sh
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# Starts the program afresh on a fresh copy of the demo drive.
start_program() {
    rm -rf "$scratch/drive"
    cp -R examples/demo-drive "$scratch/drive"
    QT_SCALE_FACTOR=$scale HOMEDRIVE="$scratch/drive" build-demo/psion-interface \
        >/dev/null 2>&1 &
    program=$!
    window=$(scripts/wait-for-window.sh "Vided Ivivovizede" 20)
}

for scale in 1 1.25 1.5 2; do
    tag=$scale
    shoot_the_four
done
