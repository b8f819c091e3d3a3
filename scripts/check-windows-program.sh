#!/usr/bin/env bash
# Checks a shipped Windows program as Windows will read it: its manifest asks to run as
# the invoking user and names Windows 7, 8, 8.1 and 10/11 as supported (the field program
# also asks for common controls 6 and per-monitor dpi awareness); it carries version
# information of the project's version and an icon; it is marked for address space
# randomisation with a 64-bit range and for data execution prevention; and it imports
# only Windows' own DLLs, so it needs nothing but Windows.
# Usage: scripts/check-windows-program.sh version file.exe ...
set -euo pipefail

version=$1
shift
status=0
for exe in "$@"; do
    name=$(basename "$exe")
    problems=()
    manifest=$(wrestool --extract --raw --type=24 "$exe" 2>/dev/null | tr -d '\r' || true)
    [ -n "$manifest" ] || problems+=("no manifest")
    wants=(
        '<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
        '<supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>' # Windows 7
        '<supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>' # Windows 8
        '<supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>' # Windows 8.1
        '<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>' # Windows 10 and 11
    )
    if [ "$name" = "psion-interface.exe" ]; then
        wants+=('name="Microsoft.Windows.Common-Controls" version="6.0.0.0"'
            '>PerMonitorV2, PerMonitor</dpiAwareness>')
    fi
    for want in "${wants[@]}"; do
        grep -qF "$want" <<<"$manifest" || problems+=("the manifest lacks $want")
    done

    # The version resource: UTF-16 strings, each key followed by its value.
    strings=$(wrestool --extract --raw --type=16 "$exe" 2>/dev/null | iconv -f UTF-16LE -t UTF-8 -c |
        tr '\0' '\n' | grep . || true)
    value() { awk -v key="$1" 'found { print; exit } $0 ~ key "$" { found = 1 }' <<<"$strings"; }
    for key in FileVersion ProductVersion; do
        [ "$(value $key)" = "$version" ] || problems+=("its $key is not $version")
    done
    description=$(value FileDescription)
    [ -n "$description" ] || problems+=("no file description")
    wrestool --list --type=14 "$exe" | grep -q . || problems+=("no icon")

    headers=$(x86_64-w64-mingw32-objdump -p "$exe")
    for flag in DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA; do
        grep -qw "$flag" <<<"$headers" || problems+=("the PE flag $flag is not set")
    done
    # A DLL of the compiler's run-time (libstdc++, libgcc, libwinpthread) would have to
    # be shipped beside the program.
    foreign=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | grep -iv -E \
        '^(kernel32|user32|gdi32|comctl32|comdlg32|ole32|oleaut32|oleacc|advapi32|shell32|shlwapi|version|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$' || true)
    [ -z "$foreign" ] || problems+=("imports DLLs that are not Windows' own: $(echo $foreign)")

    if [ ${#problems[@]} -eq 0 ]; then
        echo "check-windows-program: $name (\"$description\"): asInvoker, Windows 7-11, version $version, icon," \
            "DYNAMIC_BASE NX_COMPAT HIGH_ENTROPY_VA, imports $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | sort -u | tr '\n' ' ')"
    else
        for problem in "${problems[@]}"; do
            echo "check-windows-program: $exe: $problem" >&2
        done
        status=1
    fi
done
exit $status
