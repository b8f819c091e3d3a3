#!/usr/bin/env bash
# Checks the Windows packages in build-win-release/packages (scripts/package-windows.sh
# makes them):
# - each ZIP holds its .exe alone, and each program carries its manifest, version
#   information, icon and PE flags (scripts/check-windows-program.sh);
# - the MSI is per machine, holds the field program alone and names its icon, version,
#   publisher and the project's fixed upgrade code;
# - with PSION_TEST_SIGN_CAFILE naming the certificate the packages were signed with, the
#   installer, the MSI and the .exe in each ZIP verify against it (and, under Wine, the
#   installed programs and the uninstaller the installer writes);
# - under Wine, the installer for all users and only for the current user, and the MSI
#   with msiexec, each updated to a rebuilt higher version, and the MSI replaced by one
#   rebuilt in the same version (scripts/test-installer-wine.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/apt-install-missing.sh wine wine64 xvfb xauth xdotool x11-utils unzip icoutils \
    binutils-mingw-w64-x86-64 msitools osslsigncode
fail() {
    echo "test-installer: $*" >&2
    exit 1
}

packages=build-win-release/packages
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' build-win-release/CPackConfig.cmake)
installer=$packages/psion-interface-$version-win64.exe
msi=$packages/psion-interface-$version-win64.msi
program_zip=$packages/psion-interface-$version-win64.zip
tool_zip=$packages/psion-setup-code-$version-win64.zip
for package in "$installer" "$msi" "$program_zip" "$tool_zip"; do
    [ -f "$package" ] || fail "$package is missing"
done
[ "$(unzip -Z1 "$program_zip")" = "psion-interface.exe" ] ||
    fail "the program's ZIP holds more or less than psion-interface.exe"
[ "$(unzip -Z1 "$tool_zip")" = "psion-setup-code.exe" ] ||
    fail "the support tool's ZIP holds more or less than psion-setup-code.exe"

unpacked=$(mktemp -d "${TMPDIR:-/tmp}/psion-packages.XXXXXX")
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$program_zip" -d "$unpacked"
unzip -q "$tool_zip" -d "$unpacked"
scripts/check-windows-program.sh "$version" "$unpacked/psion-interface.exe" \
    "$unpacked/psion-setup-code.exe"

# The MSI, as msiexec reads it. msiinfo writes a table's binary streams into the current
# folder, so it runs in the scratch folder.
msi_file=$(realpath "$msi")
msiinfo() { (cd "$unpacked" && command msiinfo "$@"); }
property() { msiinfo export "$msi_file" Property | tr -d '\r' | awk -F '\t' -v name="$1" '$1 == name { print $2 }'; }
upgrade_code=$(grep -o 'UpgradeCode="[^"]*"' cmake/psion-interface.wxs.in | cut -d'"' -f2)
[ "$(property UpgradeCode)" = "{$upgrade_code}" ] || fail "the MSI's upgrade code is not $upgrade_code"
[ "$(property ProductVersion)" = "$version" ] || fail "the MSI's version is not $version"
[ "$(property ProductName)" = "Psion Interface" ] || fail "the MSI's product name is not Psion Interface"
[ "$(property Manufacturer)" = "Kelvo Data Systems" ] || fail "the MSI names no publisher"
[ "$(property ALLUSERS)" = "1" ] || fail "the MSI does not install per machine"
icon=$(property ARPPRODUCTICON)
[ -n "$icon" ] && msiinfo export "$msi_file" Icon | grep -q "^$icon" || fail "the MSI gives no icon to its entry"
files=$(msiinfo export "$msi_file" File | tail -n +4 | cut -f3 | tr -d '\r')
[ "$files" = "psion-interface.exe" ] || fail "the MSI holds more or less than psion-interface.exe: $files"
echo "test-installer: the MSI installs psion-interface.exe per machine, version $version, upgrade code $upgrade_code"

if [ -n "${PSION_TEST_SIGN_CAFILE:-}" ]; then
    for file in "$installer" "$msi" "$unpacked/psion-interface.exe" "$unpacked/psion-setup-code.exe"; do
        osslsigncode verify -CAfile "$PSION_TEST_SIGN_CAFILE" -in "$file" >/dev/null 2>&1 ||
            fail "$(basename "$file") does not verify against $PSION_TEST_SIGN_CAFILE"
        echo "test-installer: $(basename "$file") is signed (SHA-256) and verifies"
    done
    osslsigncode verify -CAfile "$PSION_TEST_SIGN_CAFILE" -in "$installer" 2>/dev/null |
        grep -q "Message digest algorithm *: SHA256" || fail "the installer's digest is not SHA-256"
else
    echo "test-installer: PSION_TEST_SIGN_CAFILE is not set: signatures are not checked"
fi

# An installer and an MSI of a higher version, rebuilt from the same tree (and signed
# alike), to update to.
IFS=. read -r major minor patch <<<"$version"
higher=$major.$minor.$((patch + 1))
# CPack reports its errors on standard output, so what it said is shown when it fails.
quiet_unless_failing() {
    local output
    output=$("$@" 2>&1) || { echo "$output" >&2; fail "$1 failed"; }
}
quiet_unless_failing cpack --preset windows-release -G NSIS -D CPACK_PACKAGE_VERSION="$higher" \
    -D CPACK_PACKAGE_FILE_NAME="psion-interface-$higher-win64" -B "$unpacked/higher"
quiet_unless_failing scripts/make-msi.sh build-win-release "$unpacked/higher" "$higher"
# And the MSI rebuilt in the same version: a new product code, as every build has.
quiet_unless_failing scripts/make-msi.sh build-win-release "$unpacked/same"
export PSION_SAME_MSI=$unpacked/same/psion-interface-$version-win64.msi
export PSION_HIGHER_VERSION=$higher
export PSION_HIGHER_INSTALLER=$unpacked/higher/psion-interface-$higher-win64.exe
export PSION_HIGHER_MSI=$unpacked/higher/psion-interface-$higher-win64.msi

# Under Wine, in a fresh Wine prefix of its own, on a virtual X server.
export WINEPREFIX="${PSION_INSTALLER_WINEPREFIX:-${TMPDIR:-/tmp}/wineprefix-psion-installer}"
export WINEDEBUG=-all
scripts/wine-prefix.sh --display remove "$WINEPREFIX"
export PSION_VERSION=$version PSION_INSTALLER="$PWD/$installer" PSION_MSI="$PWD/$msi"
xvfb-run -a --server-args='-screen 0 1024x768x24' scripts/test-installer-wine.sh
echo "test-installer: the ZIPs hold one .exe each; the installer installs for all users and" \
    "for one user, and the MSI installs, upgrades and uninstalls"
