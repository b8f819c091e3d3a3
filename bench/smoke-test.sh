#!/usr/bin/env bash
# Runs every program that scripts/bench.sh uses once, on the smallest files,
# so that they cannot rot. Checks that each works; measures nothing.
# Usage: bench/smoke-test.sh BENCH_BINARY_DIR DEMO_DRIVE
set -euo pipefail
bin=$1
demo=$2

work=$(mktemp -d "${TMPDIR:-/tmp}/psion-bench-smoke.XXXXXX")
trap 'rm -rf "$work"' EXIT
data="$work/home/program files (x86)/kelvo/psion"
mkdir -p "$data"

expect() {  # KEY=VALUE OUTPUT
    grep -qx -- "$1" <<<"$2" || { echo "expected $1 in:"; echo "$2"; exit 1; } >&2
}

for kind in batch serial one-line line-feeds; do
    "$bin/psion-bench-unitfiles" generate "$kind" 1K "$work/$kind"
    [ "$(stat -c %s "$work/$kind")" -eq 1024 ] || { echo "$kind: not 1024 bytes" >&2; exit 1; }
done
cp "$work/batch" "$data/autoexec.btf"
cp "$work/serial" "$data/s_psion.conf"

out=$("$bin/psion-bench-measure" "$bin/psion-bench-unitfiles" status "$work/home")
expect exit=0 "$out"
expect found=1 "$out"
expect reader_type_bytes=10 "$out"
out=$("$bin/psion-bench-measure" "$bin/psion-bench-unitfiles" port "$work/home")
expect exit=0 "$out"
expect port_bytes=4 "$out"
out=$("$bin/psion-bench-measure" "$bin/psion-bench-unitfiles" patch "$work/home" com2)
expect exit=0 "$out"
# The patch and sed -i make the same change, as scripts/bench.sh compares them.
sed -i '/serial1=directserial/s/:..../:COM2/' "$work/serial"
cmp "$work/serial" "$data/s_psion.conf"
# The whole Save: the same port in both serial files, the unit batch file rewritten.
cp "$work/serial" "$data/r_psion.conf"
out=$("$bin/psion-bench-measure" "$bin/psion-bench-unitfiles" save "$work/home" com3)
expect exit=0 "$out"
sed -i '/serial1=directserial/s/:..../:COM3/' "$work/serial"
cmp "$work/serial" "$data/s_psion.conf"
cmp "$work/serial" "$data/r_psion.conf"
grep -qx $'link -sTTY:B -b19200\r' "$data/autoexec.btf"

if [ -x "$bin/psion-bench-first-frame" ]; then
    for program in psion-bench-first-frame psion-bench-bare-window; do
        out=$(HOMEDRIVE=$demo QT_QPA_PLATFORM=offscreen timeout 60 \
            "$bin/psion-bench-measure" "$bin/$program")
        expect exit=0 "$out"
        grep -q '^first_frame_ns=' <<<"$out" || { echo "$program: no first frame" >&2; exit 1; }
    done
fi
# The script-start driver through the launcher, on a home drive's shell script
# (scripts/bench.sh runs it on a batch file under Wine).
printf '%s\n' '#!/bin/sh' 'echo done > "${0%/*}/marker.txt"' >"$data/startsend.bat"
out=$("$bin/psion-bench-script-start" launcher \
    "$work/home\\program files (x86)\\kelvo\\psion\\startsend.bat" "$data/marker.txt")
grep -q '^marker_ns=' <<<"$out" || { echo "script start: no marker" >&2; exit 1; }
echo "bench smoke test passed"
