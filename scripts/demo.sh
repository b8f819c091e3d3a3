#!/usr/bin/env bash
# Installs what is missing, builds into build-demo/, and runs the program on a scratch
# copy of the bundled demo drive, so that a Save never changes the committed files.
# Without a display it starts a private virtual X server of its own and says how to look
# at it. The scratch copy and the server go when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# A tree of its own (the demo preset): the tests build a Debug tree in build/.
cmake --preset demo
cmake --build --preset demo

source scripts/private-display.sh
scratch=""
runtime=""
cleanup() {
    [ -z "$scratch" ] || rm -rf "$scratch"
    [ -z "$runtime" ] || rm -rf "$runtime"
    stop_private_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

start_private_display
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    # Qt would make /tmp/runtime-<user> and leave it there.
    runtime=$(mktemp -d "${TMPDIR:-/tmp}/psion-demo.XXXXXX")
    export XDG_RUNTIME_DIR=$runtime
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/psion-demo.XXXXXX")
cp -R examples/demo-drive/. "$scratch/"
echo "Demo drive copied to $scratch (removed when the program ends)"
HOMEDRIVE="$scratch" build-demo/psion-interface
