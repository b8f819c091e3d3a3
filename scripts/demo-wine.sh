#!/usr/bin/env bash
# Installs what is missing, builds, and runs the Linux program as the desktop
# menu would start it (no HOMEDRIVE) on a demo unit kept under Wine: a scratch
# Wine prefix whose C:\Program Files (x86)\kelvo\psion holds the demo unit's
# files and two plain Windows batch files, which Send and Receive run with
# that prefix's cmd.exe. Each script appends a line to transfers.log there.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target psion-interface psion-setup-code

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "psion-interface: no display is available (DISPLAY is not set)." >&2
    echo "Run it from a desktop session, or under Xvfb: xvfb-run scripts/demo-wine.sh" >&2
    exit 1
fi

export WINEPREFIX="${PSION_DEMO_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-linux-demo}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making the Wine prefix $WINEPREFIX (once; this takes a while)"
    WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 </dev/null
fi
unit="$WINEPREFIX/drive_c/Program Files (x86)/kelvo/psion"
rm -rf "$unit"
mkdir -p "$unit"
for file in autoexec.btf s_psion.conf r_psion.conf; do
    cp "examples/demo-drive/program files (x86)/kelvo/psion/$file" "$unit/"
done
# Plain batch files, as a unit's own are: no line of them means anything to /bin/sh.
printf '%s\r\n' '@echo off' \
    'echo startsend: sending the data file to the Psion unit' \
    'echo sent %DATE% %TIME%>> "%~dp0transfers.log"' >"$unit/startsend.bat"
printf '%s\r\n' '@echo off' \
    'echo startget: receiving readings from the Psion unit' \
    'ping -n 4 127.0.0.1 >nul' \
    'echo received %DATE% %TIME%>> "%~dp0transfers.log"' >"$unit/startget.BAT"
echo "Demo unit placed in $unit"
echo "Send and Receive append to $unit/transfers.log"
exec env -u HOMEDRIVE build/psion-interface
