#!/bin/sh
# Makes or removes the Wine prefix that the Linux tests of scripts kept under
# Wine share. Usage: wine-prefix.sh create|warm|remove <prefix folder>
#   create  makes the prefix once (a later call finds it and does nothing)
#   warm    also keeps its Wine server running until "remove", so the tests
#           do not each pay for starting Wine afresh
#   remove  ends its Wine server and removes it
set -eu
action=$1
export WINEPREFIX="$2"
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="

# What Wine said while the prefix was made, shown when making it fails.
log="$WINEPREFIX.log"

create() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        wineboot -i >>"$log" 2>&1 </dev/null &&
            # Wine draws no windows of its own then; the console the tests show is xterm.
            wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >>"$log" 2>&1 </dev/null &&
            wineserver -w || {
            flock -u 9
            return 1
        }
    fi
    flock -u 9
}

# Wine now and then fails to start on a new prefix; such a prefix is made afresh, twice at most.
warm() {
    for attempt in 1 2 3; do
        if create && wineserver -p >>"$log" 2>&1 </dev/null &&
            wine cmd /c exit >>"$log" 2>&1 </dev/null; then
            return 0
        fi
        echo "wine-prefix: attempt $attempt to make and start $WINEPREFIX failed" >&2
        wineserver -k >/dev/null 2>&1 </dev/null || true
        rm -rf "$WINEPREFIX"
    done
    cat "$log" >&2
    return 1
}

case "$action" in
create) create ;;
warm) warm ;;
remove)
    if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 </dev/null || true; fi
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$log"
    ;;
*)
    echo "usage: $0 create|warm|remove <prefix folder>" >&2
    exit 2
    ;;
esac
