#!/bin/sh
# Makes, warms and removes a Wine prefix: the one place every test, demo and benchmark
# gets its Wine prefix from.
# Usage: wine-prefix.sh [--display] create|warm|stop|remove <prefix folder>
#   create     makes the prefix once (a later call finds it and does nothing)
#   warm       also starts a Wine server that stays until "stop" or "remove", so
#              the programs run in it do not each pay for starting Wine afresh
#   stop       ends its Wine server and keeps the prefix
#   remove     ends its Wine server and removes the prefix
#   --display  Wine draws its windows on the X display, as the demos and the
#              installer check need; without it Wine uses its null display driver,
#              which the tests need (they show no window of Wine's, with or without
#              an X server). A prefix made with the other choice is switched over.
# Wine now and then fails to start on a new prefix; create and warm then make it afresh,
# twice at most, and show what Wine said when it never starts.
set -eu
usage() {
    echo "usage: $0 [--display] create|warm|stop|remove <prefix folder>" >&2
    exit 2
}
display=null
if [ "${1:-}" = --display ]; then
    display=x11
    shift
fi
[ $# -eq 2 ] || usage
action=$1
export WINEPREFIX="$2"
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

# What Wine said while the prefix was made, shown when making it fails.
log="$WINEPREFIX.log"

# Wine's helper processes outlive the commands that start them and would hold the
# caller's output open, so all of Wine's output goes to the log.
quietly() { "$@" >>"$log" 2>&1 </dev/null; }

uses_null_display() { grep -q '^"Graphics"="null"' "$WINEPREFIX/user.reg" 2>/dev/null; }

# Sets the display driver; it takes effect when the Wine server starts afresh.
choose_display() {
    if [ "$display" = null ]; then
        uses_null_display && return 0
        quietly wineserver -k || true
        quietly wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
    else
        uses_null_display || return 0
        quietly wineserver -k || true
        quietly wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f
    fi
    quietly wineserver -w
}

make_once() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    status=0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        quietly wineboot -i && quietly wineserver -w || status=1
    fi
    [ "$status" -ne 0 ] || choose_display || status=1
    flock -u 9
    return "$status"
}

start_server() { quietly wineserver -p && quietly wine cmd /c exit; }

# Runs the steps given, making the prefix afresh when they fail.
with_retries() {
    for attempt in 1 2 3; do
        if "$@"; then
            return 0
        fi
        echo "wine-prefix: attempt $attempt to make and start $WINEPREFIX failed" >&2
        quietly wineserver -k || true
        rm -rf "$WINEPREFIX"
    done
    cat "$log" >&2
    return 1
}

stop_server() {
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1 </dev/null || true
        wineserver -w >/dev/null 2>&1 </dev/null || true
    fi
}

warm_steps() { make_once && start_server; }

case "$action" in
create) with_retries make_once ;;
warm) with_retries warm_steps ;;
stop) stop_server ;;
remove)
    stop_server
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$log"
    ;;
*) usage ;;
esac
