#!/usr/bin/env bash
# Checks the Debian packages in build-deb/packages (scripts/package-linux.sh makes them):
# lintian finds no error; the field package installs with apt-get, puts the program, its
# desktop entry, metainfo, icons and manual page in place, holds nothing of the support
# tool, and its program opens its window on a copy of the demo drive; then it is removed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/apt-install-missing.sh lintian file xvfb xauth xdotool x11-utils
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
fail() {
    echo "test-deb: $*" >&2
    exit 1
}

field_deb=$(ls build-deb/packages/psion-interface_*.deb)
support_deb=$(ls build-deb/packages/psion-setup-code_*.deb)
for deb in "$field_deb" "$support_deb"; do
    echo "lintian $deb"
    lintian --fail-on error --tag-display-limit 0 "$deb"
done

# The field package neither holds nor needs the support tool.
if dpkg-deb --contents "$field_deb" | grep -q 'setup-code'; then
    fail "$field_deb holds a part of the support tool"
fi
if dpkg-deb --field "$field_deb" Depends Recommends Suggests | grep -q 'psion-setup-code'; then
    fail "$field_deb refers to psion-setup-code"
fi
dpkg-deb --field "$field_deb" Depends | grep -q 'libqt6widgets6' ||
    fail "dpkg-shlibdeps gave no dependency on the Qt libraries"

if dpkg-query -W -f='${Status}' psion-interface 2>/dev/null | grep -q 'install ok installed'; then
    fail "psion-interface is installed already; remove it before the check"
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/psion-deb-test.XXXXXX")
remove_package() {
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 \
        remove -y -qq psion-interface >/dev/null || true
    rm -rf "$scratch"
}
trap remove_package EXIT
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 \
    install -y -qq --no-install-recommends "./$field_deb"

[ -x /usr/bin/psion-interface ] || fail "/usr/bin/psion-interface is missing"
[ ! -e /usr/bin/psion-setup-code ] || fail "/usr/bin/psion-setup-code is installed"
[ -e /usr/share/man/man1/psion-interface.1.gz ] || fail "the manual page is missing"
[ ! -e /usr/share/man/man1/psion-setup-code.1.gz ] || fail "the support tool's manual page is installed"

# One application id names the desktop entry, its icon, the metainfo and the icon files.
desktop_file=$(dpkg -L psion-interface | grep '^/usr/share/applications/.*\.desktop$') ||
    fail "no desktop entry"
app_id=$(basename "$desktop_file" .desktop)
echo "application id: $app_id"
grep -qx "Icon=$app_id" "$desktop_file" || fail "the desktop entry's icon is not $app_id"
grep -qx "Exec=psion-interface" "$desktop_file" || fail "the desktop entry does not start psion-interface"
metainfo=/usr/share/metainfo/$app_id.metainfo.xml
grep -q "<id>$app_id</id>" "$metainfo" || fail "$metainfo does not name $app_id"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
    fail "$metainfo does not launch $app_id.desktop"
[ -s "/usr/share/icons/hicolor/scalable/apps/$app_id.svg" ] || fail "the scalable icon is missing"
for size in 16 22 24 32 48 64 128 256; do
    icon=/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    [ -s "$icon" ] || fail "$icon is missing"
    file "$icon" | grep -q "PNG image data, $size x $size" || fail "$icon is not $size px"
done

# The installed program opens its window on a copy of the demo drive. Under Xvfb the
# window appears as an X window titled as the main window, with the program's icon.
cp -R examples/demo-drive "$scratch/drive"
HOMEDRIVE="$scratch/drive" xvfb-run -a --server-args='-screen 0 1024x768x24' bash -c '
    /usr/bin/psion-interface &
    program=$!
    window=$(scripts/wait-for-window.sh "Vided Ivivovizede" 30 || true)
    status=0
    if [ -z "$window" ]; then
        echo "test-deb: the window of /usr/bin/psion-interface did not appear" >&2
        status=1
    elif ! xprop -id "$window" _NET_WM_ICON | grep -q "Icon ("; then
        echo "test-deb: the window carries no icon" >&2
        status=1
    else
        echo "window $window appeared: $(xprop -id "$window" WM_CLASS)"
    fi
    kill -0 "$program" 2>/dev/null || { echo "test-deb: the program has ended" >&2; status=1; }
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    exit $status
' || fail "the installed program did not open its window"

remove_package
trap - EXIT
[ ! -e /usr/bin/psion-interface ] || fail "removing the package left /usr/bin/psion-interface"
[ ! -e "$desktop_file" ] || fail "removing the package left $desktop_file"
echo "test-deb: both packages pass lintian; the field package installs, starts and is removed"
