#!/usr/bin/env bash
# Usage: wait-for-window.sh TITLE SECONDS
# Prints the id of the visible X window titled exactly TITLE as soon as one appears,
# and exits 1 if none has appeared after SECONDS. Polled rather than waited for with
# xdotool's --sync, which fails when a passing window vanishes.
set -euo pipefail
title=$1
seconds=$2
for _ in $(seq "$seconds"); do
    window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    if [ -n "$window" ]; then
        echo "$window"
        exit 0
    fi
    sleep 1
done
exit 1
