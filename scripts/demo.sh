#!/usr/bin/env bash
# Installs what is missing, builds into build-demo/, and runs the program on a scratch
# copy of the bundled demo drive, so that a Save never changes the committed files.
# Without a display it starts a private virtual X server (Xvfb) of its own and says
# how to look at it. The scratch copy and the server go when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# A folder of its own: the tests build a Debug tree in build/.
cmake -S . -B build-demo -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-demo --target psion-interface psion-setup-code

scratch=""
display_file=""
xvfb_pid=""
cleanup() {
    [ -z "$scratch" ] || rm -rf "$scratch"
    [ -z "$display_file" ] || rm -f "$display_file"
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # Xvfb picks a free display number and writes it to the given descriptor.
    display_file=$(mktemp "${TMPDIR:-/tmp}/psion-demo.XXXXXX")
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$display_file" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ ! -s "$display_file" ]; then
        echo "demo: no display is available, and the virtual X server (Xvfb) did not start." >&2
        exit 1
    fi
    export DISPLAY=":$(head -n1 "$display_file")"
    echo "No display: the program runs on a private virtual X server, display $DISPLAY."
    echo "To look at it from another terminal: import -display $DISPLAY -window root demo.png"
    echo "(ImageMagick), or x11vnc -display $DISPLAY and a VNC viewer. Press Ctrl+C to end it."
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/psion-demo.XXXXXX")
cp -R examples/demo-drive/. "$scratch/"
echo "Demo drive copied to $scratch (removed when the program ends)"
HOMEDRIVE="$scratch" build-demo/psion-interface
