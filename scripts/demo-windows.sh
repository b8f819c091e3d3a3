#!/usr/bin/env bash
# Cross-builds the Release psion-interface.exe and runs it under Wine on the demo data.
# The demo unit's files are copied into a Wine prefix of its own, under
# C:\Program Files (x86)\kelvo\psion, so a Save never changes the committed files.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-windows-release.sh

if [ -z "${DISPLAY:-}" ]; then
    echo "psion-interface.exe: no display is available (DISPLAY is not set)." >&2
    echo "Run it from a desktop session, or under Xvfb: xvfb-run scripts/demo-windows.sh" >&2
    exit 1
fi

export WINEPREFIX="${PSION_DEMO_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-demo}"
export WINEDEBUG=-all
wineboot -i >/dev/null 2>&1 </dev/null
programs="$WINEPREFIX/drive_c/Program Files (x86)"
rm -rf "$programs/kelvo"
mkdir -p "$programs"
cp -R "examples/demo-drive/program files (x86)/kelvo" "$programs/"
echo "Demo unit copied to $programs/kelvo"
exec wine build-win-release/psion-interface.exe
