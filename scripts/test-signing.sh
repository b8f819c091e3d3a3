#!/usr/bin/env bash
# The signing step's rule on time-stamps, with the throwaway certificate of
# scripts/test-packages.sh (PSION_SIGN_PKCS12, PSION_SIGN_PASSWORD, and
# PSION_TEST_SIGN_CAFILE to verify against) on a copy of a built Windows program:
# - without PSION_SIGN_TIMESTAMP_URL, signing and the release build are refused with a
#   message that names what to set, and the file stays as it was;
# - with PSION_SIGN_NO_TIMESTAMP=1 the file is signed and verifies.
# Usage: scripts/test-signing.sh program.exe
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
    echo "test-signing: $*" >&2
    exit 1
}
[ $# -eq 1 ] && [ -f "$1" ] || fail "usage: scripts/test-signing.sh program.exe"
work=$(mktemp -d "${TMPDIR:-/tmp}/psion-test-signing.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp "$1" "$work/program.exe"
cp "$1" "$work/original.exe"

names_what_to_set() {
    grep -q "set PSION_SIGN_TIMESTAMP_URL" "$1" && grep -q "set PSION_SIGN_NO_TIMESTAMP=1" "$1"
}

# Refused without a time-stamp address: the signing step itself ...
if env -u PSION_SIGN_TIMESTAMP_URL -u PSION_SIGN_NO_TIMESTAMP \
    scripts/sign-windows.sh "$work/program.exe" >"$work/out" 2>"$work/err"; then
    fail "sign-windows.sh signed without a time-stamp address"
fi
names_what_to_set "$work/err" || fail "the refusal does not say what to set: $(cat "$work/err")"
cmp -s "$work/program.exe" "$work/original.exe" || fail "the refused signing changed the file"
echo "test-signing: sign-windows.sh refused: $(cat "$work/err")"

# ... and the release build, before it builds anything.
if env -u PSION_SIGN_TIMESTAMP_URL -u PSION_SIGN_NO_TIMESTAMP \
    scripts/package-windows.sh >"$work/out" 2>"$work/err"; then
    fail "package-windows.sh made a release without a time-stamp address"
fi
names_what_to_set "$work/err" || fail "package-windows.sh did not say what to set: $(cat "$work/err")"
! grep -q "signing with" "$work/out" || fail "package-windows.sh went on after the refusal"
echo "test-signing: package-windows.sh refused before building"

# Signed without a time-stamp once that is asked for.
PSION_SIGN_NO_TIMESTAMP=1 env -u PSION_SIGN_TIMESTAMP_URL \
    scripts/sign-windows.sh "$work/program.exe" >/dev/null || fail "signing with PSION_SIGN_NO_TIMESTAMP=1 failed"
osslsigncode verify -CAfile "$PSION_TEST_SIGN_CAFILE" -in "$work/program.exe" >/dev/null 2>&1 ||
    fail "the file signed with PSION_SIGN_NO_TIMESTAMP=1 does not verify"
echo "test-signing: with PSION_SIGN_NO_TIMESTAMP=1 the file is signed and verifies"
