#!/usr/bin/env bash
# Authenticode-signs Windows files in place with osslsigncode, SHA-256, using the
# vendor's certificate: PSION_SIGN_PKCS12 names a PKCS#12 file and PSION_SIGN_PASSWORD
# holds its password; PSION_SIGN_TIMESTAMP_URL names an RFC 3161 time-stamp server, so
# the signature stays valid after the certificate expires. Without a time-stamp address
# nothing is signed, unless PSION_SIGN_NO_TIMESTAMP=1 asks for signatures without one
# (the package checks, which have no network, and nothing that ships).
# Called by scripts/package-windows.sh, by CPack and by makensis for each file.
# Usage: scripts/sign-windows.sh file ...
#        scripts/sign-windows.sh --check   (only checks the settings, signs nothing)
set -euo pipefail

if [ -z "${PSION_SIGN_PKCS12:-}" ] || [ -z "${PSION_SIGN_PASSWORD+set}" ]; then
    echo "sign-windows: PSION_SIGN_PKCS12 and PSION_SIGN_PASSWORD must both be set" >&2
    exit 1
fi
[ -r "$PSION_SIGN_PKCS12" ] || {
    echo "sign-windows: cannot read the certificate $PSION_SIGN_PKCS12" >&2
    exit 1
}
if [ -z "${PSION_SIGN_TIMESTAMP_URL:-}" ] && [ "${PSION_SIGN_NO_TIMESTAMP:-}" != 1 ]; then
    # Signed without a time-stamp, a release would stop validating when the certificate expires.
    echo "sign-windows: no time-stamp address: set PSION_SIGN_TIMESTAMP_URL to the certificate" \
        "authority's RFC 3161 time-stamp address, or set PSION_SIGN_NO_TIMESTAMP=1 to sign" \
        "without a time-stamp (such signatures stop validating when the certificate expires)" >&2
    exit 1
fi
[ "${1:-}" != --check ] || exit 0

# The password goes to osslsigncode in a file only this user can read, never on its
# command line, where other users could see it.
work=$(mktemp -d "${TMPDIR:-/tmp}/psion-sign.XXXXXX")
trap 'rm -rf "$work"' EXIT
(umask 077 && printf '%s' "$PSION_SIGN_PASSWORD" >"$work/password")

timestamp=()
[ -z "${PSION_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$PSION_SIGN_TIMESTAMP_URL")
for file in "$@"; do
    osslsigncode sign -pkcs12 "$PSION_SIGN_PKCS12" -readpass "$work/password" -h sha256 \
        -n "Psion Interface" "${timestamp[@]}" -in "$file" -out "$work/signed" >/dev/null || {
        echo "sign-windows: could not sign $file" >&2
        exit 1
    }
    # Replaced whole, keeping the file's mode.
    cat "$work/signed" >"$file"
    rm -f "$work/signed"
    echo "sign-windows: signed $(basename "$file")"
done
