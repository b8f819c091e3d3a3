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

export WINEPREFIX="${PSION_SHOTS_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-shots}"
export WINEDEBUG=-all
before_cleanup() { scripts/wine-prefix.sh --display stop "$WINEPREFIX"; }
source scripts/screenshot-steps.sh
scripts/wine-prefix.sh --display create "$WINEPREFIX"

# Wine's output goes to a log: its helper processes outlive the program and would hold
# this script's output open.
log="$WINEPREFIX.shots.log"
quietly() { "$@" >>"$log" 2>&1 </dev/null; }

# Starts the program afresh on a fresh copy of the demo unit.
start_program() {
    local programs="$WINEPREFIX/drive_c/Program Files (x86)"
    rm -rf "$programs/kelvo"
    mkdir -p "$programs"
    cp -R "examples/demo-drive/program files (x86)/kelvo" "$programs/"
    wine build-win-release/psion-interface.exe >>"$log" 2>&1 </dev/null &
    program=$!
    window=$(scripts/wait-for-window.sh "Vided Ivivovizede" 60)
}

for dpi in 96 120 144 192; do
    # LogPixels is read when Wine's server starts.
    quietly wineserver -k || true
    quietly wineserver -w || true
    quietly wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f
    scale=$(awk "BEGIN{print $dpi / 96}")
    tag=$dpi
    shoot_the_four
done
# The server ends here rather than lingering past the last shot.
quietly wineserver -k || true
