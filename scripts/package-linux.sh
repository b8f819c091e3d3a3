#!/usr/bin/env bash
# Builds the Debian packages into build-deb/packages: psion-interface (the field
# program) and psion-setup-code (the support tool), from a Release build with
# Debian's hardening flags.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh dpkg-dev file
# Debian's compiler and linker flags, with every hardening feature.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# The deb preset takes them from these two variables; it builds with -O2, the
# optimisation Debian builds its own packages with, rather than CMake's -O3.
export PSION_DEB_CXXFLAGS PSION_DEB_LDFLAGS
PSION_DEB_CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
PSION_DEB_LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
cmake --preset deb
cmake --build --preset deb
rm -f build-deb/packages/*.deb
cpack --preset deb
ls -l build-deb/packages/*.deb
