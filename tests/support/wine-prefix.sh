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

create() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 </dev/null
        # Wine draws no windows of its own then; the console the tests show is xterm.
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
        wineserver -w
    fi
    flock -u 9
}

case "$action" in
create) create ;;
warm)
    create
    wineserver -p >/dev/null 2>&1 </dev/null
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    ;;
remove)
    if [ -d "$WINEPREFIX" ]; then wineserver -k >/dev/null 2>&1 </dev/null || true; fi
    rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
    ;;
*)
    echo "usage: $0 create|warm|remove <prefix folder>" >&2
    exit 2
    ;;
esac
