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

# Always a server of our own, large enough for the main window at twice its size, with a
# window manager, so that the shots show each window's title as a user sees it.
unset DISPLAY WAYLAND_DISPLAY
export PSION_DISPLAY_SCREEN=1280x1024x24
source scripts/private-display.sh
scratch=$(mktemp -d "${TMPDIR:-/tmp}/psion-shots.XXXXXX")
program=""
window_manager=""
end_program() {
    [ -z "$program" ] || { kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; }
    program=""
}
cleanup() {
    end_program
    rm -rf "$scratch"
    [ -z "$window_manager" ] || kill "$window_manager" 2>/dev/null || true
    stop_private_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
start_private_display >/dev/null
openbox >/dev/null 2>&1 &
window_manager=$!
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
mkdir -p "$out"

# Clicks at a point of the window given in pixels of the form at scale 1.
click() {
    local window=$1 x=$2 y=$3
    xdotool mousemove --window "$window" "$(awk "BEGIN{print int($x * $factor)}")" \
        "$(awk "BEGIN{print int($y * $factor)}")" click 1
}

# Starts the program afresh on a fresh copy of the demo drive; window is its main window.
start_program() {
    rm -rf "$scratch/drive"
    cp -R examples/demo-drive "$scratch/drive"
    QT_SCALE_FACTOR=$factor HOMEDRIVE="$scratch/drive" build-demo/psion-interface \
        >/dev/null 2>&1 &
    program=$!
    window=$(scripts/wait-for-window.sh "Vided Ivivovizede" 20)
}

shoot() {
    sleep 2
    import -window root "$out/$1-$factor.png"
    echo "$out/$1-$factor.png"
}

for factor in 1 1.25 1.5 2; do
    start_program
    shoot main
    end_program

    # The menu bar's "Setup" and "Contact Us", and the Send button, at scale 1.
    start_program
    click "$window" 52 10
    scripts/wait-for-window.sh "Psion Setup" 10 >/dev/null
    shoot setup
    end_program

    start_program
    click "$window" 105 10
    shoot contact
    end_program

    start_program
    click "$window" 105 205
    shoot message
    end_program
done
