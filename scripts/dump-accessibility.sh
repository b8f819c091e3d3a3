#!/usr/bin/env bash
# Prints what a screen reader sees of the program over AT-SPI: the main
# window, the setup dialog with a code typed in, and the message box of its
# Save. Runs build/psion-interface on a scratch copy of the demo drive under
# Xvfb and a private D-Bus session; needs at-spi2-core and python3-pyatspi.
# A development aid, not part of the test run.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${PSION_DUMP_INSIDE:-}" ]; then
    exec env PSION_DUMP_INSIDE=1 xvfb-run -a dbus-run-session -- "$0" "$@"
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/psion-a11y.XXXXXX")
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$scratch"' EXIT
cp -R examples/demo-drive/. "$scratch/"

/usr/libexec/at-spi-bus-launcher --launch-immediately &
sleep 1
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 HOMEDRIVE="$scratch" build/psion-interface &
/usr/bin/python3 scripts/dump-accessibility.py "$@"
