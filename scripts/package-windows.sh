#!/usr/bin/env bash
# Cross-builds the Release Windows programs and packs them into build-win-release/packages:
# the installer of the field program (psion-interface-<version>-win64.exe), its MSI for
# managed deployment (psion-interface-<version>-win64.msi), a ZIP of psion-interface.exe
# alone and a ZIP of the support tool psion-setup-code.exe alone.
#
# With PSION_SIGN_PKCS12 (the vendor's PKCS#12 file) and PSION_SIGN_PASSWORD set, every
# shipped Windows file is Authenticode-signed (scripts/sign-windows.sh): both programs
# before they are packed, the installer's uninstaller, the installer and the MSI.
# PSION_SIGN_TIMESTAMP_URL names the time-stamp server; without it nothing is built
# unless PSION_SIGN_NO_TIMESTAMP=1 allows signatures without a time-stamp.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -n "${PSION_SIGN_PKCS12:-}" ]; then
    # Refused here, before the build, on the settings that the signing step would refuse.
    scripts/sign-windows.sh --check
    stamp=", without a time-stamp (PSION_SIGN_NO_TIMESTAMP=1)"
    [ -z "${PSION_SIGN_TIMESTAMP_URL:-}" ] || stamp=", time-stamped by $PSION_SIGN_TIMESTAMP_URL"
    echo "package-windows: signing with $PSION_SIGN_PKCS12$stamp"
else
    echo "package-windows: no certificate (PSION_SIGN_PKCS12 is not set): the files are not signed"
fi

scripts/install-windows-deps.sh nsis
scripts/build-windows-release.sh
packages=build-win-release/packages
rm -f "$packages"/*.exe "$packages"/*.zip "$packages"/*.msi
cpack --preset windows-release
scripts/make-msi.sh build-win-release "$packages"
ls -l "$packages"/*.exe "$packages"/*.msi "$packages"/*.zip
