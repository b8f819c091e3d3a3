#!/usr/bin/env bash
# Builds the Debian packages and the Windows installer and ZIPs, and checks them:
# the desktop entry and metainfo validate, the Debian packages pass lintian and install
# (scripts/test-deb.sh), and the installer works under Wine (scripts/test-installer.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/apt-install-missing.sh desktop-file-utils appstream
scripts/package-linux.sh
desktop-file-validate build-release/data/*.desktop
appstreamcli validate --no-net build-release/data/*.metainfo.xml
scripts/test-deb.sh

scripts/package-windows.sh
scripts/test-installer.sh
