#!/usr/bin/env bash
# Makes the MSI of the field program, psion-interface-<version>-win64.msi, with wixl
# from a configured and built Windows tree (scripts/package-windows.sh calls it). The
# program is installed from the tree, stripped, and signed before it is packed, and the
# MSI after, when PSION_SIGN_PKCS12 and PSION_SIGN_PASSWORD are set.
# Usage: scripts/make-msi.sh build-dir output-dir [version]
#   version: the product version, by default the project's; the package check passes a
#   higher one to test an upgrade.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

[ $# -ge 2 ] || {
    echo "usage: scripts/make-msi.sh build-dir output-dir [version]" >&2
    exit 2
}
build=$1
out=$2
wxs=$build/msi/psion-interface.wxs
[ -f "$wxs" ] || {
    echo "make-msi: $wxs is missing; configure $build for Windows first" >&2
    exit 1
}
# The project's version, as CMake configured the tree.
version=${3:-$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")}
[ -n "$version" ] || {
    echo "make-msi: no version in $build/CPackConfig.cmake" >&2
    exit 1
}

work=$(mktemp -d "${TMPDIR:-/tmp}/psion-msi.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$wxs" "$build/msi/psion-interface.ico" "$work/"
cmake --install "$build" --prefix "$work/stage" --component psion-interface --strip >/dev/null
if [ -n "${PSION_SIGN_PKCS12:-}" ]; then
    "$here/sign-windows.sh" "$work/stage/psion-interface.exe"
fi
mkdir -p "$out"
msi=$out/psion-interface-$version-win64.msi
msi_path=$(realpath -m "$msi")
wixl --arch x64 --define "ProductVersion=$version" --output "$msi" "$work/psion-interface.wxs"
# Every build has a new product code. The MajorUpgrade rows replace only older versions,
# so a rebuilt MSI of the same version would install beside the first, a second entry.
# One more row replaces the same version too: from and up to this version, both ends
# included (256 + 512), keeping the features (1). wixl cannot write it (it drops
# IncludeMaximum), so it goes in here, before the MSI is signed.
upgrade_code=$(cd "$work" && msiinfo export "$msi_path" Property | tr -d '\r' |
    awk -F '\t' '$1 == "UpgradeCode" { print $2 }')
[ -n "$upgrade_code" ] || {
    echo "make-msi: $msi has no upgrade code" >&2
    exit 1
}
msibuild "$msi" -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMin\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', '$version', 769, 'WIX_UPGRADE_DETECTED')"
if [ -n "${PSION_SIGN_PKCS12:-}" ]; then
    "$here/sign-windows.sh" "$msi"
fi
echo "make-msi: made $msi"
