#!/usr/bin/env bash
# Checks the Windows packages in build-win-release/packages (scripts/package-windows.sh
# makes them). Each ZIP holds its .exe alone. Under Wine, in a fresh Wine prefix of its
# own and on a virtual X server: the installer run with /S puts psion-interface.exe under
# Program Files, a Start-menu shortcut and an uninstall entry in place; the program
# opens its window when started from the shortcut; the uninstaller run with /S removes
# them again; and the data folder is left exactly as it was throughout.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/apt-install-missing.sh wine wine64 xvfb xauth xdotool x11-utils unzip
fail() {
    echo "test-installer: $*" >&2
    exit 1
}

packages=build-win-release/packages
installer=$(ls "$packages"/psion-interface-*-win64.exe)
[ "$(unzip -Z1 "$packages"/psion-interface-*-win64.zip)" = "psion-interface.exe" ] ||
    fail "the program's ZIP holds more or less than psion-interface.exe"
[ "$(unzip -Z1 "$packages"/psion-setup-code-*-win64.zip)" = "psion-setup-code.exe" ] ||
    fail "the support tool's ZIP holds more or less than psion-setup-code.exe"

export WINEPREFIX="${PSION_INSTALLER_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-installer}"
export WINEDEBUG=-all
rm -rf "$WINEPREFIX"
export PSION_INSTALLER="$PWD/$installer"
export PSION_DEMO_UNIT="$PWD/examples/demo-drive/program files (x86)/kelvo"
xvfb-run -a --server-args='-screen 0 1024x768x24' bash -euo pipefail -c '
trap "echo \"test-installer: failed: \$BASH_COMMAND\" >&2" ERR
fail() {
    echo "test-installer: $*" >&2
    wineserver -k >/dev/null 2>&1 </dev/null || true
    exit 1
}
# Wine helper processes outlive the commands that start them and would hold our pipes open.
wineboot -i >/dev/null 2>&1 </dev/null
drive_c=$WINEPREFIX/drive_c

# A unit in the data folder, which installing and uninstalling must leave as it is.
mkdir -p "$drive_c/Program Files (x86)"
cp -R "$PSION_DEMO_UNIT" "$drive_c/Program Files (x86)/"
data_folder="$drive_c/Program Files (x86)/kelvo"
fingerprint() {
    cd "$data_folder" &&
        find . -print0 | sort -z | xargs -0 ls -ld --time-style=+%s.%N &&
        find . -type f -print0 | sort -z | xargs -0 md5sum
}
before=$(fingerprint)

wine "$PSION_INSTALLER" /S >/dev/null 2>&1 </dev/null
wineserver -w
install_dir="$drive_c/Program Files/Kelvo Data Systems/Psion Interface"
[ -f "$install_dir/psion-interface.exe" ] || fail "psion-interface.exe is not in $install_dir"
[ ! -e "$install_dir/psion-setup-code.exe" ] || fail "the installer put the support tool in place"
shortcut=$(find "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" -name "Psion Interface.lnk")
[ -n "$shortcut" ] || fail "no Start-menu shortcut \"Psion Interface\""
echo "shortcut: ${shortcut#$drive_c/}"
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Psion Interface"
entry=$(wine reg query "$uninstall_key" 2>/dev/null </dev/null | tr -d "\r")
for value in DisplayName DisplayVersion Publisher UninstallString DisplayIcon; do
    grep -q "^ *$value " <<<"$entry" || fail "the uninstall entry has no $value"
done
echo "$entry" | grep -E "DisplayName|DisplayVersion|Publisher|UninstallString"
[ "$(fingerprint)" = "$before" ] || fail "installing changed the data folder"

# Started from its shortcut, the program opens its main window with its icon.
wine start /unix "$shortcut" >/dev/null 2>&1 </dev/null
window=$(scripts/wait-for-window.sh "Vided Ivivovizede" 60) ||
    fail "the window of the installed psion-interface.exe did not appear"
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (" || fail "the window carries no icon"
echo "window $window appeared"
wineserver -k >/dev/null 2>&1 </dev/null || true
wineserver -w

# The uninstaller runs a copy of itself and returns at once; wait for the copy to end.
wine "$install_dir/Uninstall.exe" /S >/dev/null 2>&1 </dev/null
wineserver -w
[ ! -e "$install_dir" ] || fail "uninstalling left $install_dir"
[ ! -e "$shortcut" ] || fail "uninstalling left the shortcut"
if wine reg query "$uninstall_key" >/dev/null 2>&1 </dev/null; then
    fail "uninstalling left the uninstall entry"
fi
[ "$(fingerprint)" = "$before" ] || fail "uninstalling changed the data folder"
wineserver -k >/dev/null 2>&1 </dev/null || true
'
echo "test-installer: the ZIPs hold one .exe each; the installer installs, starts and uninstalls"
