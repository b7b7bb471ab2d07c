#!/usr/bin/env bash
# Memory benchmark: the real program and a bare Qt Widgets window side by side on a private
# Xvfb display. It clicks through the splash, waits until the main window is idle (the chime
# played, the reachability check answered by the offline server) and prints both resident
# sizes and their ratio. With `pulseaudio` installed the chime really plays, into a private
# server's null sink; without it the program runs with no sound server.
#
# usage: tools/membench/membench.sh [BUILD_DIR]      (default: build)
# Needs the targets mirelo, mirelo-offline-server and mirelo-barewindow, Xvfb and xdotool.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(readlink -f "${1:-$root/build}")
program=$build/src/mirelo
server=$build/tools/offline/mirelo-offline-server
bare=$build/tools/membench/mirelo-barewindow
for file in "$program" "$server" "$bare"; do
    [ -x "$file" ] || { echo "membench: $file is missing; build it first" >&2; exit 2; }
done
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "membench: needs $tool" >&2; exit 2; }
done

target_ratio=1.3
idle_seconds=8

tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirelo-membench.XXXXXX")
script_name=membench
. "$root/tests/support/background.sh"
cleanup() {
    local status=$?
    trap - EXIT INT TERM
    stop_background
    rm -rf "$tmp"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM


rss_kib() { sed -n 's/^VmRSS:[[:space:]]*\([0-9]*\) kB/\1/p' "/proc/$1/status"; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }
window_of() { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window_of "$1" "$2")" ]; }

Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
wait_until "the X display" 50 test -s "$tmp/display"
export DISPLAY=":$(head -n 1 "$tmp/display")"
export QT_QPA_PLATFORM=xcb
mkdir -m 700 "$tmp/run"
export XDG_RUNTIME_DIR="$tmp/run"

# A session bus of our own, so neither program autolaunches one that outlives the run.
if command -v dbus-daemon >/dev/null; then
    dbus-daemon --session --nofork --nopidfile --print-address=4 4>"$tmp/bus" 2>/dev/null &
    pids+=($!)
    wait_until "the session bus" 30 test -s "$tmp/bus"
    export DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$tmp/bus")
fi

sound="none (the program plays nothing)"
if command -v pulseaudio >/dev/null; then
    mkdir -p "$tmp/home"
    HOME="$tmp/home" pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no \
        --load="module-native-protocol-unix socket=$tmp/pulse auth-anonymous=1" \
        --load="module-null-sink sink_name=membench" >"$tmp/pulse.log" 2>&1 &
    pids+=($!)
    if wait_until "the sound server" 50 test -S "$tmp/pulse"; then
        export PULSE_SERVER="unix:$tmp/pulse"
        sound="a private PulseAudio server with a null sink"
    fi
fi

"$server" --port 0 >"$tmp/server.log" 2>&1 &
pids+=($!)
wait_until "the offline server" 30 grep -q 'listening on 127.0.0.1:' "$tmp/server.log"
port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\);.*/\1/p' "$tmp/server.log")

# The program writes its support files beside itself, so it runs from a copy.
mkdir "$tmp/app"
cp "$program" "$tmp/app/"
(cd "$tmp/app" && exec env http_proxy="http://127.0.0.1:$port" ./mirelo >"$tmp/program.log" 2>&1) &
app=$!
pids+=($app)
wait_until "the splash" 100 has_window "$app" .
sleep 1
splash_kib=$(rss_kib "$app")
# On a busy machine a click can reach the splash before it takes input; then it is repeated.
for ((try = 0; try < 5; try++)); do
    xdotool mousemove --window "$(window_of "$app" .)" 300 200 click 1 >/dev/null 2>&1 || true
    poll 30 has_window "$app" 'Mirelo V6' && break
done
wait_until "the main window" 10 has_window "$app" 'Mirelo V6'
# Only now: mapped earlier, the bare window may cover the splash and take its click.
"$bare" >"$tmp/bare.log" 2>&1 &
barepid=$!
pids+=($barepid)
wait_until "the bare window" 50 has_window "$barepid" 'bare window'
sleep "$idle_seconds"
kill -0 "$app" 2>/dev/null || { echo "membench: the program ended early" >&2; exit 1; }

program_kib=$(rss_kib "$app")
bare_kib=$(rss_kib "$barepid")
gst=$(grep -c 'libgst' "/proc/$app/maps" || true)
ratio=$(awk -v p="$program_kib" -v b="$bare_kib" 'BEGIN { printf "%.2f", p / b }')
verdict=$(awk -v r="$ratio" -v t="$target_ratio" 'BEGIN { print (r <= t) ? "met" : "missed" }')

echo "sound server:          $sound"
echo "program, splash only:  $(mib "$splash_kib") MiB"
echo "program, main window:  $(mib "$program_kib") MiB (GStreamer mappings: $gst)"
echo "bare window:           $(mib "$bare_kib") MiB"
echo "ratio:                 $ratio (target <= $target_ratio: $verdict)"
