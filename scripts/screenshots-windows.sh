#!/usr/bin/env bash
# Screenshots of the Windows program under Wine at 96, 120, 144 and 192 DPI (Wine's
# LogPixels): the main window, the setup dialog, the contact dialog and a message box, each
# on a private virtual X server, taken with ImageMagick's import. They are for looking at:
# whether every caption shows whole and the layout follows the form tables
# (Win32CaptionFitTest measures it). Wine is not Windows: raster fonts and the system's own
# scaling are steps of docs/windows-acceptance.md.
# Usage: scripts/screenshots-windows.sh [output folder]   (build/screenshots/windows unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-build/screenshots/windows}")

scripts/install-deps.sh imagemagick openbox
scripts/build-windows-release.sh >/dev/null

# Always a server of our own, large enough for the main window at twice its size, with a
# window manager, so that the shots show each window's title as a user sees it.
unset DISPLAY WAYLAND_DISPLAY
export PSION_DISPLAY_SCREEN=1280x1024x24
source scripts/private-display.sh
export WINEPREFIX="${PSION_SHOTS_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-shots}"
export WINEDEBUG=-all
program=""
window_manager=""
end_program() {
    [ -z "$program" ] || { kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; }
    program=""
}
cleanup() {
    end_program
    scripts/wine-prefix.sh --display stop "$WINEPREFIX"
    [ -z "$window_manager" ] || kill "$window_manager" 2>/dev/null || true
    stop_private_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
start_private_display >/dev/null
openbox >/dev/null 2>&1 &
window_manager=$!
scripts/wine-prefix.sh --display create "$WINEPREFIX"
mkdir -p "$out"

# Wine's output goes to a log: its helper processes outlive the program and would hold
# this script's output open.
log="$WINEPREFIX.shots.log"
quietly() { "$@" >>"$log" 2>&1 </dev/null; }

# Clicks at a point of the window given in pixels at 96 DPI.
click() {
    local window=$1 x=$2 y=$3
    xdotool mousemove --window "$window" "$((x * dpi / 96))" "$((y * dpi / 96))" click 1
}

# Starts the program afresh on a fresh copy of the demo unit; window is its main window.
start_program() {
    local programs="$WINEPREFIX/drive_c/Program Files (x86)"
    rm -rf "$programs/kelvo"
    mkdir -p "$programs"
    cp -R "examples/demo-drive/program files (x86)/kelvo" "$programs/"
    wine build-win-release/psion-interface.exe >>"$log" 2>&1 </dev/null &
    program=$!
    window=$(scripts/wait-for-window.sh "Vided Ivivovizede" 60)
}

shoot() {
    sleep 2
    import -window root "$out/$1-$dpi.png"
    echo "$out/$1-$dpi.png"
}

for dpi in 96 120 144 192; do
    # LogPixels is read when Wine's server starts.
    quietly wineserver -k || true
    quietly wineserver -w || true
    quietly wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f

    start_program
    shoot main
    end_program

    # The menu bar's "Setup" and "Contact Us", and the Send button, at 96 DPI.
    start_program
    click "$window" 52 10
    scripts/wait-for-window.sh "Psion Setup" 20 >/dev/null
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
# The server ends here rather than lingering past the last shot.
quietly wineserver -k || true
