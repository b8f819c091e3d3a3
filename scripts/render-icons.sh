#!/usr/bin/env bash
# Renders the icons from the one drawing, data/icons/psion-interface.svg, into
# data/icons/rendered: a PNG per size for the desktop's icon theme and the Qt window
# icon, and the Windows .ico (16, 32 and 48 px as bitmaps, 256 px stored as PNG).
# The build uses these committed files, so it needs neither rsvg-convert nor icotool.
# Run it after changing the drawing, and commit the result.
# Usage: scripts/render-icons.sh            render into data/icons/rendered
#        scripts/render-icons.sh --check    fail when the committed files are out of date
set -euo pipefail
cd "$(dirname "$0")/.."

app_id=com.kelvodata.PsionInterface
sizes=(16 22 24 32 48 64 128 256)
source=data/icons/psion-interface.svg
committed=data/icons/rendered

scripts/apt-install-missing.sh librsvg2-bin icoutils

render() {
    local out=$1
    for size in "${sizes[@]}"; do
        mkdir -p "$out/${size}x${size}"
        rsvg-convert --width "$size" --height "$size" --output "$out/${size}x${size}/$app_id.png" "$source"
    done
    icotool --create --output="$out/$app_id.ico" \
        "$out/16x16/$app_id.png" "$out/32x32/$app_id.png" "$out/48x48/$app_id.png" \
        --raw="$out/256x256/$app_id.png"
}

if [ "${1:-}" = "--check" ]; then
    fresh=$(mktemp -d "${TMPDIR:-/tmp}/psion-icons.XXXXXX")
    trap 'rm -rf "$fresh"' EXIT
    render "$fresh"
    if ! diff -r "$fresh" "$committed" >/dev/null; then
        diff -rq "$fresh" "$committed" >&2 || true
        echo "render-icons: the icons in $committed are out of date; run scripts/render-icons.sh" >&2
        exit 1
    fi
    echo "render-icons: the icons in $committed match $source"
else
    rm -rf "$committed"
    render "$committed"
    echo "render-icons: rendered $source into $committed"
fi
