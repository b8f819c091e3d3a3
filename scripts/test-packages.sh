#!/usr/bin/env bash
# Builds the Debian packages and the Windows installer and ZIPs, and checks them:
# the desktop entry and metainfo validate, the Debian packages pass lintian and install
# (scripts/test-deb.sh), and the installer works under Wine (scripts/test-installer.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/apt-install-missing.sh desktop-file-utils appstream
scripts/package-linux.sh
desktop-file-validate build-deb/data/*.desktop
appstreamcli validate --no-net build-deb/data/*.metainfo.xml

# A plain `cmake --install` installs the field program and never the support tool,
# which is installed only when its component is named.
staging=$(mktemp -d "${TMPDIR:-/tmp}/psion-install.XXXXXX")
trap 'rm -rf "$staging"' EXIT
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

scripts/package-windows.sh
scripts/test-installer.sh
