#!/usr/bin/env bash
# Cross-builds the Release psion-interface.exe and runs it under Wine on the demo data.
# The demo unit's files are copied into a Wine prefix of its own, under
# C:\Program Files (x86)\kelvo\psion, so a Save never changes the committed files.
# Without a display it starts a private virtual X server of its own and says how to look
# at it; the server goes when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-windows-release.sh
scripts/apt-install-missing.sh xvfb

source scripts/private-display.sh
export WINEPREFIX="${PSION_DEMO_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-demo}"
cleanup() {
    scripts/wine-prefix.sh --display stop "$WINEPREFIX"
    stop_private_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
start_private_display

export WINEDEBUG=-all
scripts/wine-prefix.sh --display warm "$WINEPREFIX"
programs="$WINEPREFIX/drive_c/Program Files (x86)"
rm -rf "$programs/kelvo"
mkdir -p "$programs"
cp -R "examples/demo-drive/program files (x86)/kelvo" "$programs/"
echo "Demo unit copied to $programs/kelvo"
wine build-win-release/psion-interface.exe
