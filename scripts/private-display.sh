# Sourced by the demo scripts: when there is no display, starts a private virtual X
# server (Xvfb, which picks a free display number itself), points DISPLAY at it and says
# how to look at it. stop_private_display ends it again; call it when the program ends.
# Needs neither xvfb-run nor xauth. PSION_DISPLAY_SCREEN sets its size (1024x768x24 unless set).

private_display_pid=""

start_private_display() {
    [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] || return 0
    local number_file
    number_file=$(mktemp "${TMPDIR:-/tmp}/psion-display.XXXXXX")
    # Listening on Linux's abstract socket only, it leaves no socket file behind in /tmp.
    Xvfb -displayfd 3 -screen 0 "${PSION_DISPLAY_SCREEN:-1024x768x24}" -nolisten tcp -nolisten unix 3>"$number_file" \
        >/dev/null 2>&1 &
    private_display_pid=$!
    for _ in $(seq 100); do
        [ -s "$number_file" ] && break
        kill -0 "$private_display_pid" 2>/dev/null || break
        sleep 0.1
    done
    local number
    number=$(head -n1 "$number_file")
    rm -f "$number_file"
    if [ -z "$number" ]; then
        stop_private_display
        echo "No display is available, and the virtual X server (Xvfb) did not start." >&2
        return 1
    fi
    export DISPLAY=":$number"
    echo "No display: the program runs on a private virtual X server, display $DISPLAY."
    echo "To look at it from another terminal: import -display $DISPLAY -window root demo.png"
    echo "(ImageMagick) takes a screenshot; x11vnc -display $DISPLAY lets a VNC viewer show it."
    echo "Press Ctrl+C here to end the program."
}

stop_private_display() {
    [ -n "$private_display_pid" ] || return 0
    kill "$private_display_pid" 2>/dev/null || true
    wait "$private_display_pid" 2>/dev/null || true
    private_display_pid=""
}
