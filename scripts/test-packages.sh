#!/usr/bin/env bash
# Builds the Debian packages and the Windows installer, MSI and ZIPs, and checks them:
# the desktop entry and metainfo validate, the Debian packages pass lintian and install
# (scripts/test-deb.sh), and the Windows packages, signed with a throwaway certificate,
# verify and work under Wine (scripts/test-installer.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/apt-install-missing.sh desktop-file-utils appstream
scripts/package-linux.sh
desktop-file-validate build-deb/data/*.desktop
appstreamcli validate --no-net build-deb/data/*.metainfo.xml

# A plain `cmake --install` installs the field program and never the support tool,
# which is installed only when its component is named.
staging=$(mktemp -d "${TMPDIR:-/tmp}/psion-install.XXXXXX")
certificate=$(mktemp -d "${TMPDIR:-/tmp}/psion-certificate.XXXXXX")
trap 'rm -rf "$staging" "$certificate"' EXIT
cmake --install build-deb --prefix "$staging" >/dev/null
[ -x "$staging/bin/psion-interface" ] && [ -s "$staging/share/man/man1/psion-interface.1.gz" ] || {
    echo "test-packages: cmake --install did not install the field program" >&2
    exit 1
}
if find "$staging" -name '*setup-code*' | grep -q .; then
    echo "test-packages: cmake --install installed a part of the support tool" >&2
    exit 1
fi
cmake --install build-deb --prefix "$staging" --component psion-setup-code >/dev/null
[ -x "$staging/bin/psion-setup-code" ] || {
    echo "test-packages: cmake --install --component psion-setup-code did not install the tool" >&2
    exit 1
}
scripts/test-deb.sh

# Signed as the vendor signs a release, with a self-signed code-signing certificate made
# for this run and thrown away after it; no time-stamp server (there is no network), so
# the signatures are made without a time-stamp, which a release refuses unless asked.
scripts/apt-install-missing.sh openssl osslsigncode
export PSION_SIGN_PASSWORD
PSION_SIGN_PASSWORD=$(openssl rand -hex 16)
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Psion Interface test signer" \
    -addext "extendedKeyUsage=codeSigning" \
    -keyout "$certificate/key.pem" -out "$certificate/certificate.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$certificate/key.pem" -in "$certificate/certificate.pem" \
    -passout env:PSION_SIGN_PASSWORD -out "$certificate/signer.p12"
export PSION_SIGN_PKCS12=$certificate/signer.p12
export PSION_TEST_SIGN_CAFILE=$certificate/certificate.pem
scripts/build-windows-release.sh
scripts/test-signing.sh build-win-release/psion-interface.exe
export PSION_SIGN_NO_TIMESTAMP=1
scripts/package-windows.sh
scripts/test-installer.sh
