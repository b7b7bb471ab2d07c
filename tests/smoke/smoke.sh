#!/usr/bin/env bash
# Smoke test of the real program, driven from outside its process: a private X display with a
# window manager (openbox) and a compositor (xcompmgr), a private session bus, the offline trial
# server as the proxy, the program run from a copy of its folder (it writes files beside
# itself). drive.py watches the splash fade in and out as the X server sees it, clicks it,
# checks that the main window's frame is centred, looks up 10001, reads the row through AT-SPI,
# copies its report through the keyboard menu, closes the window and answers the exit prompt.
#
# usage: smoke.sh PROGRAM OFFLINE_SERVER
# Exit status 0: passed; 77: a tool it needs is missing (skipped); anything else: failed.
# Every wait is bounded; the whole run takes under a minute even when a step hangs.
set -euo pipefail

if [ $# -ne 2 ]; then
    echo "usage: $0 PROGRAM OFFLINE_SERVER" >&2
    exit 2
fi
program=$(readlink -f "$1")
server=$(readlink -f "$2")
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "smoke: skipped: $1 (scripts/setup-debian.sh --tests installs it)"
    exit 77
}
for tool in Xvfb xdotool xclip dbus-daemon xprop xwininfo openbox xcompmgr; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is missing"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirelo-smoke.XXXXXX")
script_name=smoke
. "$here/../support/background.sh"
trap 'clean_up_on_exit 40' EXIT
trap 'exit 130' INT TERM


start_display

# Frames and real opacity, as on a user's desktop: a light window manager and a compositor.
# Openbox keeps its settings and cache in folders of our own.
export XDG_CONFIG_HOME="$tmp/config" XDG_CACHE_HOME="$tmp/cache"
openbox --sm-disable >"$tmp/openbox.log" 2>&1 &
pids+=($!)
# Openbox announces itself before it has finished starting; waiting for its work area and
# client list as well means the program's first window meets a window manager fully set up.
wm_running() {
    local root
    root=$(xprop -root _NET_SUPPORTING_WM_CHECK _NET_WORKAREA _NET_CLIENT_LIST 2>/dev/null) &&
        grep -q '^_NET_SUPPORTING_WM_CHECK(WINDOW)' <<<"$root" &&
        grep -q '^_NET_WORKAREA(CARDINAL)' <<<"$root" &&
        grep -q '^_NET_CLIENT_LIST(WINDOW)' <<<"$root"
}
wait_until "the window manager" 50 wm_running
xcompmgr >"$tmp/xcompmgr.log" 2>&1 &
pids+=($!)  # drive.py waits until it has taken the compositing selection

start_session_bus

# The offline trial server on a free port; its first line names the port.
"$server" --port 0 >"$tmp/server.log" 2>&1 &
pids+=($!)
wait_until "the offline server" 30 grep -q 'listening on 127.0.0.1:' "$tmp/server.log"
port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\);.*/\1/p' "$tmp/server.log")
echo "smoke: display $DISPLAY, offline server on port $port"

mkdir "$tmp/app"
cp "$program" "$tmp/app/"
timeout 48 /usr/bin/python3 "$here/drive.py" "$tmp/app/$(basename "$program")" \
    "http://127.0.0.1:$port" "$tmp/server.log"
