#!/usr/bin/env bash
# The Windows installer and MSI under Wine; run by scripts/test-installer.sh on a virtual
# X server, with WINEPREFIX naming a fresh prefix of its own, PSION_VERSION,
# PSION_INSTALLER and PSION_MSI, the same rebuilt with a higher version in
# PSION_HIGHER_VERSION, PSION_HIGHER_INSTALLER and PSION_HIGHER_MSI, the MSI rebuilt in
# the same version in PSION_SAME_MSI, and PSION_TEST_SIGN_CAFILE when the packages are
# signed.
# - The installer with /S /AllUsers: the program under Program Files, the shortcut in the
#   common Start menu, the uninstall entry under HKLM; the program starts from the
#   shortcut; installed again, and then in the higher version, it leaves one entry, of
#   the version installed last; its uninstaller removes all three.
# - With /S /CurrentUser the same under the user's AppData\Local\Programs, the user's
#   Start menu and HKCU, and nothing for all users.
# - The MSI with msiexec /i /qn: the program under Program Files, the shortcut and the
#   product registered; an MSI rebuilt in the same version (a new product code) replaces
#   it, leaving one product, the rebuilt one; so does one of a higher version; msiexec /x
#   /qn removes it.
# - The data folder stays byte for byte as it was after every install and uninstall.
set -euo pipefail
cd "$(dirname "$0")/.."

trap 'echo "test-installer: failed: $BASH_COMMAND" >&2' ERR
fail() {
    echo "test-installer: $*" >&2
    wineserver -k >/dev/null 2>&1 </dev/null || true
    exit 1
}
# Wine helper processes outlive the commands that start them and would hold our pipes open.
quietly() { "$@" >/dev/null 2>&1 </dev/null; }
# Wine draws the installed program's window on the virtual X server.
scripts/wine-prefix.sh --display create "$WINEPREFIX"
drive_c=$WINEPREFIX/drive_c
profile=$drive_c/users/$(id -un)
[ -d "$profile" ] || fail "no Wine profile folder $profile"

# A unit in the data folder, which installing and uninstalling must leave as it is.
mkdir -p "$drive_c/Program Files (x86)"
cp -R "examples/demo-drive/program files (x86)/kelvo" "$drive_c/Program Files (x86)/"
data_folder="$drive_c/Program Files (x86)/kelvo"
fingerprint() {
    (cd "$data_folder" &&
        find . -print0 | sort -z | xargs -0 ls -ld --time-style=+%s.%N &&
        find . -type f -print0 | sort -z | xargs -0 md5sum)
}
data_before=$(fingerprint)
data_unchanged() {
    [ "$(fingerprint)" = "$data_before" ] || fail "$1 changed the data folder"
    echo "test-installer: the data folder is unchanged after $1"
}

signed() {
    [ -n "${PSION_TEST_SIGN_CAFILE:-}" ] || return 0
    local file
    for file in "$@"; do
        osslsigncode verify -CAfile "$PSION_TEST_SIGN_CAFILE" -in "$file" >/dev/null 2>&1 ||
            fail "the installed ${file#"$drive_c"/} does not verify against the test certificate"
        echo "test-installer: the installed ${file#"$drive_c"/} is signed and verifies"
    done
}

uninstall_root='Software\Microsoft\Windows\CurrentVersion\Uninstall'
entry() { wine reg query "$1\\$uninstall_root\\Psion Interface" 2>/dev/null </dev/null | tr -d '\r'; }
has_entry() { wine reg query "$1\\$uninstall_root\\Psion Interface" >/dev/null 2>&1 </dev/null; }
# Each product named "Psion Interface" registered for all users, as "key version".
products() {
    wine reg query "HKLM\\$uninstall_root" /s 2>/dev/null </dev/null | tr -d '\r' | awk '
        /^HKEY/ { key = $0; name = ""; version = "" }
        $1 == "DisplayName" { sub(/^ *DisplayName +REG_SZ +/, ""); name = $0 }
        $1 == "DisplayVersion" { version = $3 }
        name == "Psion Interface" && version != "" { print key, version; name = "" }'
}

# The installer: for all users, then only for this user.
nsis_install() {
    local mode=$1 install_dir=$2 shortcut=$3 hive=$4 other_hive=$5 installer=$6 version=$7
    quietly wine "$installer" /S "/$mode"
    wineserver -w
    [ -f "$install_dir/psion-interface.exe" ] || fail "/$mode: psion-interface.exe is not in $install_dir"
    [ ! -e "$install_dir/psion-setup-code.exe" ] || fail "/$mode: the installer put the support tool in place"
    [ -f "$shortcut" ] || fail "/$mode: no Start-menu shortcut ${shortcut#"$drive_c"/}"
    local values
    values=$(entry "$hive")
    for value in DisplayName DisplayVersion Publisher UninstallString DisplayIcon InstallLocation; do
        grep -q "^ *$value " <<<"$values" || fail "/$mode: the uninstall entry under $hive has no $value"
    done
    grep -q "^ *DisplayVersion .* $version$" <<<"$values" || fail "/$mode: the entry is not of $version"
    ! has_entry "$other_hive" || fail "/$mode: the installer also made an uninstall entry under $other_hive"
    echo "test-installer: /$mode $version: ${install_dir#"$drive_c"/}, ${shortcut#"$drive_c"/}, one $hive entry"
    scripts/check-windows-program.sh "$PSION_VERSION" "$install_dir/psion-interface.exe" >/dev/null
    signed "$install_dir/psion-interface.exe" "$install_dir/Uninstall.exe"
    data_unchanged "installing $version with /$mode"
}
nsis_uninstall() {
    local mode=$1 install_dir=$2 shortcut=$3 hive=$4
    # The uninstaller runs a copy of itself and returns at once; wait for the copy to end.
    quietly wine "$install_dir/Uninstall.exe" /S
    wineserver -w
    [ ! -e "$install_dir" ] || fail "/$mode: uninstalling left $install_dir"
    [ ! -e "$(dirname "$install_dir")" ] || fail "/$mode: uninstalling left the empty vendor folder"
    [ ! -e "$shortcut" ] || fail "/$mode: uninstalling left the shortcut"
    ! has_entry "$hive" || fail "/$mode: uninstalling left the uninstall entry under $hive"
    echo "test-installer: /$mode: the uninstaller removed the program, the shortcut and the entry"
    data_unchanged "uninstalling what /$mode installed"
}

all_dir="$drive_c/Program Files/Kelvo Data Systems/Psion Interface"
all_shortcut="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Psion Interface.lnk"
nsis_install AllUsers "$all_dir" "$all_shortcut" HKLM HKCU "$PSION_INSTALLER" "$PSION_VERSION"

# Started from its shortcut, the program opens its main window with its icon.
quietly wine start /unix "$all_shortcut"
window=$(scripts/wait-for-window.sh "Vided Ivivovizede" 60) ||
    fail "the window of the installed psion-interface.exe did not appear"
xprop -id "$window" _NET_WM_ICON | grep -q "Icon (" || fail "the window carries no icon"
echo "test-installer: window $window of the installed program appeared"
quietly wineserver -k || true
wineserver -w

# Installed again over itself, and then in a higher version, it keeps one entry.
nsis_install AllUsers "$all_dir" "$all_shortcut" HKLM HKCU "$PSION_INSTALLER" "$PSION_VERSION"
nsis_install AllUsers "$all_dir" "$all_shortcut" HKLM HKCU "$PSION_HIGHER_INSTALLER" "$PSION_HIGHER_VERSION"
nsis_uninstall AllUsers "$all_dir" "$all_shortcut" HKLM

user_dir="$profile/AppData/Local/Programs/Kelvo Data Systems/Psion Interface"
user_shortcut="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Psion Interface.lnk"
nsis_install CurrentUser "$user_dir" "$user_shortcut" HKCU HKLM "$PSION_INSTALLER" "$PSION_VERSION"
[ ! -e "$all_dir" ] && [ ! -e "$all_shortcut" ] || fail "/CurrentUser installed something for all users"
nsis_install CurrentUser "$user_dir" "$user_shortcut" HKCU HKLM "$PSION_HIGHER_INSTALLER" "$PSION_HIGHER_VERSION"
nsis_uninstall CurrentUser "$user_dir" "$user_shortcut" HKCU

# The MSI. Wine's msiexec puts a per-machine package's shortcuts into the user's Start
# menu; Windows puts them into the common one. Either counts here.
msi_shortcut_found() { [ -f "$all_shortcut" ] || [ -f "$user_shortcut" ]; }
msi_install() {
    local msi=$1 version=$2
    quietly wine msiexec /i "$msi" /qn || fail "msiexec /i $(basename "$msi") /qn failed"
    wineserver -w
    [ -f "$all_dir/psion-interface.exe" ] || fail "the MSI did not put psion-interface.exe in $all_dir"
    msi_shortcut_found || fail "the MSI made no Start-menu shortcut"
    local registered
    registered=$(products)
    [ "$(wc -l <<<"$registered")" -eq 1 ] || fail "not one product is registered after $(basename "$msi"): $registered"
    [ "${registered##* }" = "$version" ] || fail "the registered product is not of $version: $registered"
    echo "test-installer: msiexec /i $(basename "$msi"): one product, $registered"
    signed "$all_dir/psion-interface.exe"
    data_unchanged "installing $(basename "$msi")"
}
msi_install "$PSION_MSI" "$PSION_VERSION"
first_product=$(products)

# Rebuilt in the same version, it replaces the installed one rather than installing beside it.
msi_install "$PSION_SAME_MSI" "$PSION_VERSION"
[ "$(products)" != "$first_product" ] || fail "the MSI rebuilt in $PSION_VERSION left the first one registered"
echo "test-installer: the MSI rebuilt in $PSION_VERSION replaced the installed one"

# A rebuilt MSI with a higher version replaces the installed one (a major upgrade).
msi_install "$PSION_HIGHER_MSI" "$PSION_HIGHER_VERSION"

quietly wine msiexec /x "$PSION_HIGHER_MSI" /qn || fail "msiexec /x /qn failed"
wineserver -w
[ -z "$(products)" ] || fail "msiexec /x left the product registered: $(products)"
[ ! -e "$all_dir" ] || fail "msiexec /x left $all_dir"
! msi_shortcut_found || fail "msiexec /x left the shortcut"
echo "test-installer: msiexec /x removed the program, the shortcut and the product"
data_unchanged "msiexec /x"
quietly wineserver -k || true
