# Sourced by the two screenshot scripts: a private virtual X server of its own, large enough
# for the main window at twice its size, with a window manager, so that the shots show each
# window's title as a user sees it; and the four shots, each from a fresh start of the program.
# The caller defines start_program (starts the program, sets program to its process id and
# window to its main window), and may define before_cleanup; it sets scale (the size against
# 96 DPI, as a factor) and tag (the shots' file name suffix) before calling shoot_the_four.

unset DISPLAY WAYLAND_DISPLAY
export PSION_DISPLAY_SCREEN=1280x1024x24
source scripts/private-display.sh
program=""
window_manager=""
end_program() {
    [ -z "$program" ] || { kill "$program" 2>/dev/null || true; wait "$program" 2>/dev/null || true; }
    program=""
}
cleanup() {
    end_program
    if declare -F before_cleanup >/dev/null; then before_cleanup; fi
    [ -z "$window_manager" ] || kill "$window_manager" 2>/dev/null || true
    stop_private_display
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
start_private_display >/dev/null
openbox >/dev/null 2>&1 &
window_manager=$!
mkdir -p "$out"

# Clicks at a point of the window given in pixels at 96 DPI.
click() {
    local window=$1 x=$2 y=$3
    xdotool mousemove --window "$window" "$(awk "BEGIN{print int($x * $scale)}")" \
        "$(awk "BEGIN{print int($y * $scale)}")" click 1
}

shoot() {
    sleep 2
    import -window root "$out/$1-$tag.png"
    echo "$out/$1-$tag.png"
}

# The main window, the setup dialog, the contact dialog and Send's question: the menu bar's
# "Setup" and "Contact Us", and the Send button, at 96 DPI.
shoot_the_four() {
    start_program
    shoot main
    end_program

    start_program
    click "$window" 52 10
    scripts/wait-for-window.sh "Psion Setup" 20 >/dev/null
    shoot setup
    end_program

    start_program
    click "$window" 105 10
    shoot contact
    end_program

    start_program
    click "$window" 105 205
    shoot message
    end_program
}
