#!/usr/bin/env bash
# The Debian package as a user gets it: built by cpack from a build folder, its file list,
# control fields, lintian, desktop entry and metadata checked, then unpacked and run from a tree
# the running user cannot write, with HOME and XDG_DATA_HOME in a folder of its own, on a private
# X display. The support files must land in the user's data folder, the skin must be applied,
# and the main window must open after a click on the splash.
#
# usage: package.sh CPACK BUILD_DIR VERSION
# Exit status 0: passed; 77: a tool it needs is missing (skipped); anything else: failed.
# Every wait is bounded.
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 CPACK BUILD_DIR VERSION" >&2
    exit 2
fi
cpack=$1
build=$(readlink -f "$2")
version=$3

skip() {
    echo "package: skipped: $1 (scripts/setup-debian.sh --tests installs it)"
    exit 77
}
fail() {
    echo "package: FAILED: $1" >&2
    exit 1
}
for tool in dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli Xvfb xdotool \
            import setpriv; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing"
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirelo-package.XXXXXX")
# The test user must reach the unpacked tree and its home inside.
chmod 755 "$tmp"
script_name=package
. "$(dirname "$0")/../support/background.sh"
cleanup() {
    local status=$?
    trap - EXIT INT TERM
    stop_background
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
        echo "--- program output"; tail -n 40 "$tmp/program.log" 2>/dev/null || true
    fi
    chmod -R u+w "$tmp" 2>/dev/null || true
    rm -rf "$tmp"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# --- The package and what it holds ---------------------------------------------------------

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >"$tmp/cpack.log" 2>&1 ||
    { cat "$tmp/cpack.log"; fail "cpack"; }
deb="$tmp/out/mirelo_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$tmp/out"; fail "no $(basename "$deb")"; }
echo "package: built $(basename "$deb")"

# Every file with its mode and owner; directories follow from them.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort >"$tmp/files"
sort >"$tmp/expected" <<'LIST'
-rwxr-xr-x root/root ./usr/bin/mirelo
-rwxr-xr-x root/root ./usr/bin/mirelo-lookup
-rw-r--r-- root/root ./usr/share/applications/io.mirelo.Mirelo.desktop
-rw-r--r-- root/root ./usr/share/doc/mirelo/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/mirelo/copyright
-rw-r--r-- root/root ./usr/share/icons/hicolor/128x128/apps/mirelo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/16x16/apps/mirelo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/256x256/apps/mirelo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/32x32/apps/mirelo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/48x48/apps/mirelo.png
-rw-r--r-- root/root ./usr/share/icons/hicolor/64x64/apps/mirelo.png
-rw-r--r-- root/root ./usr/share/man/man1/mirelo-lookup.1.gz
-rw-r--r-- root/root ./usr/share/man/man1/mirelo.1.gz
-rw-r--r-- root/root ./usr/share/metainfo/io.mirelo.Mirelo.metainfo.xml
LIST
diff -u "$tmp/expected" "$tmp/files" || fail "the package's file list"

depends=$(dpkg-deb -f "$deb" Depends)
echo "package: Depends: $depends"
# Found by dpkg-shlibdeps, and added by hand for what is loaded by name.
for needed in libqt6widgets6 libqt6network6 qt6-translations-l10n libqt6sql6-sqlite; do
    [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
        fail "Depends lacks $needed"
done
[[ "$depends" != *gstreamer* ]] || fail "Depends names a GStreamer package"

lintian --fail-on error,warning "$deb" >"$tmp/lintian.log" 2>&1 || lintian_status=$?
sed 's/^/package: lintian: /' "$tmp/lintian.log" | grep -v 'running with root privileges' || true
[ "${lintian_status:-0}" -eq 0 ] || fail "lintian reports errors or warnings"

dpkg-deb -x "$deb" "$tmp/root"
desktop-file-validate --no-hints "$tmp/root/usr/share/applications/io.mirelo.Mirelo.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net "$tmp/root/usr/share/metainfo/io.mirelo.Mirelo.metainfo.xml" \
    >"$tmp/appstream.log" 2>&1 || { cat "$tmp/appstream.log"; fail "appstreamcli validate"; }

# --- The unpacked program, run by a user who cannot write beside it ------------------------

chmod -R a-w "$tmp/root/usr"
mkdir -m 700 "$tmp/home" "$tmp/run"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    # Root writes into read-only folders: run as nobody instead.
    chown 65534:65534 "$tmp/home" "$tmp/run"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups --)
fi
if "${as_user[@]}" touch "$tmp/root/usr/bin/probe" 2>/dev/null; then
    fail "the test user can write beside the program"
fi

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$tmp/display" \
    2>"$tmp/xvfb.log" &
pids+=($!)
wait_until "the X display" 50 test -s "$tmp/display"
display=":$(head -n 1 "$tmp/display")"

# No session bus (none is autolaunched either) and a proxy that refuses at once: the
# reachability check fails without touching the network.
data="$tmp/home/data"
(cd "$tmp/home" && exec env -u DBUS_SESSION_BUS_ADDRESS -u no_proxy -u NO_PROXY \
    HOME="$tmp/home" XDG_DATA_HOME="$data" XDG_RUNTIME_DIR="$tmp/run" DISPLAY="$display" \
    QT_QPA_PLATFORM=xcb DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-bus" \
    http_proxy=http://127.0.0.1:1 \
    "${as_user[@]}" "$tmp/root/usr/bin/mirelo") >"$tmp/program.log" 2>&1 &
pids+=($!)
program=$!

alive() {
    kill -0 "$program" 2>/dev/null || fail "the program ended early"
}
support_files_written() {
    alive
    local name
    for name in SkinH_VB6.dll skinh.she COMDLG32.OCX MSCOMCTL.OCX MSINET.OCX Image.OCX \
                TABCTL32.OCX zv.mp3 h.jpg; do
        [ -s "$data/Mirelo/$name" ] || return 1
    done
}
wait_until "the nine support files in the data folder" 150 support_files_written
[ "$(ls -A "$tmp/root/usr/bin" | tr '\n' ' ')" = "mirelo mirelo-lookup " ] || fail "files were written beside the program"
echo "package: the support files are in the user's data folder"

visible() {
    alive
    DISPLAY=$display xdotool search --onlyvisible "$@" >"$tmp/window" 2>/dev/null
}
wait_until "the splash" 100 visible --class mirelo
DISPLAY=$display xdotool mousemove --window "$(head -n 1 "$tmp/window")" 300 200 click 1
wait_until "the main window" 100 visible --name 'Mirelo V6'
main=$(head -n 1 "$tmp/window")
echo "package: the main window is open"

# The skin, read back from the data folder, paints the window's ground #eef3f7.
skinned() {
    alive
    DISPLAY=$display import -window "$main" -crop 1x1+3+3 -depth 8 txt:- 2>/dev/null |
        grep -qi '#EEF3F7'
}
wait_until "the skin's colour on the main window" 50 skinned
echo "package: the skin is applied"
