#!/usr/bin/env bash
# Installs what is missing, builds into build-demo-wine/, and runs the Linux program as the
# desktop menu would start it (no HOMEDRIVE) on a demo unit kept under Wine, at the far end
# of a virtual serial line. A scratch Wine prefix's C:\Program Files (x86)\kelvo\psion holds
# the demo unit's files, a transfer program (a small Windows console program) and two batch
# files that run it on COM1. COM1 is mapped, as the README says, to one end of a pty pair
# (socat); at the other end this script plays the unit: it prints what it receives, and
# answers a request for readings with a few readings, which Receive brings back into the
# data folder as readings.txt. Without a display it starts a private virtual X server.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# A tree of its own: the tests build in build/, scripts/demo.sh in build-demo/.
cmake --preset demo-wine
cmake --build --preset demo-wine

source scripts/private-display.sh
export WINEPREFIX="${PSION_DEMO_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-linux-demo}"
export WINEDEBUG=-all
run=""
line_pid=""
unit_pid=""
cleanup() {
    [ -z "$unit_pid" ] || kill "$unit_pid" 2>/dev/null || true
    [ -z "$line_pid" ] || kill "$line_pid" 2>/dev/null || true
    wineserver -k >/dev/null 2>&1 </dev/null || true
    [ -z "$run" ] || rm -rf "$run"
    stop_private_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

start_private_display
run=$(mktemp -d "${TMPDIR:-/tmp}/psion-demo-wine.XXXXXX")
# Qt would make /tmp/runtime-<user> and leave it there.
[ -n "${XDG_RUNTIME_DIR:-}" ] || export XDG_RUNTIME_DIR=$run

[ -f "$WINEPREFIX/system.reg" ] || echo "Making the Wine prefix $WINEPREFIX (once; this takes a while)"
scripts/wine-prefix.sh --display create "$WINEPREFIX"

# The virtual serial line: the computer's end for COM1, the unit's end for this script.
socat "pty,raw,echo=0,link=$run/computer-end" "pty,raw,echo=0,link=$run/unit-end" \
    >/dev/null 2>&1 &
line_pid=$!
for _ in $(seq 50); do
    [ -e "$run/computer-end" ] && [ -e "$run/unit-end" ] && break
    sleep 0.1
done
device=$(readlink "$run/computer-end")
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$device" /f >/dev/null 2>&1 </dev/null
wineserver -k >/dev/null 2>&1 </dev/null || true
wineserver -w >/dev/null 2>&1 </dev/null || true
echo "COM1 of $WINEPREFIX is mapped to $device (a virtual serial line)"

unit="$WINEPREFIX/drive_c/Program Files (x86)/kelvo/psion"
rm -rf "$unit"
mkdir -p "$unit"
for file in autoexec.btf s_psion.conf r_psion.conf; do
    cp "examples/demo-drive/program files (x86)/kelvo/psion/$file" "$unit/"
done
cp build-demo-wine/tests/windows-stand-ins/ComTransfer.exe "$unit/comxfer.exe"
printf '%s\r\n' 'ITEM 0001 SHELF A1' 'ITEM 0002 SHELF A2' 'ITEM 0003 SHELF B7' >"$unit/send.dat"
# Plain batch files, as a unit's own are: they run the transfer program on COM1.
printf '%s\r\n' '@echo off' \
    'echo startsend: sending send.dat to the Psion unit on COM1' \
    '"%~dp0comxfer.exe" send COM1 "%~dp0send.dat"' >"$unit/startsend.bat"
printf '%s\r\n' '@echo off' \
    'echo startget: receiving readings from the Psion unit on COM1' \
    '"%~dp0comxfer.exe" receive COM1 "%~dp0readings.txt"' >"$unit/startget.BAT"

# The unit: prints each transfer it hears, and answers a request with its readings.
play_unit() {
    exec 3<>"$run/unit-end"
    local heard="" count=0
    while IFS= read -r -u 3 text; do
        text=${text%$'\r'}
        if [ "$text" = "SEND READINGS" ]; then
            count=$((count + 1))
            printf '%s\r\n' "0001,$count,20.5" "0002,$count,21.0" "0003,$count,19.75" END >&3
            echo "unit: asked for readings; sent 3 readings (batch $count)"
        elif [ "$text" = "END" ]; then
            echo "unit: received over COM1:"
            printf '%s' "$heard" | sed 's/^/unit:   /'
            heard=""
        else
            heard+="$text"$'\n'
        fi
    done
}
play_unit &
unit_pid=$!

echo "Demo unit placed in $unit"
echo "Send puts send.dat down the line; Receive brings the unit's readings into readings.txt there."
status=0
env -u HOMEDRIVE build-demo-wine/psion-interface || status=$?
if [ -f "$unit/readings.txt" ]; then
    echo "readings.txt in the data folder:"
    sed 's/^/  /' "$unit/readings.txt"
fi
exit "$status"
