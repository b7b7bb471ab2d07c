# Sourced by the scripts that drive the real program from outside (the smoke and package tests,
# the memory benchmark): what they start in the background, and their bounded waits. The caller
# sets `script_name` first, for its messages.

# Every process started in the background; stop_background ends them newest first, so the
# program and the servers go before the display they use.
pids=()
stop_background() {
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
}

# Succeeds once the command in $2... does, trying for up to $1 tenths of a second.
poll() {
    local tenths=$1
    shift
    for ((n = 0; n < tenths; n++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Waits up to $2 tenths of a second for the command in $3... to succeed; fails saying what.
wait_until() {
    local what=$1
    shift
    poll "$@" && return 0
    echo "$script_name: FAILED: timed out waiting for $what" >&2
    return 1
}

# A display of our own, in the caller's folder $tmp: Xvfb picks a free number and writes it to
# fd 3. -noreset: without it the server resets whenever its last client leaves, and a program
# connecting during that reset is refused.
start_display() {
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$tmp/display" \
        2>"$tmp/xvfb.log" &
    pids+=($!)
    wait_until "the X display" 50 test -s "$tmp/display" || return 1
    DISPLAY=":$(head -n 1 "$tmp/display")"
    export DISPLAY
}

# A session bus of our own; the accessibility bus it starts keeps its socket in a runtime
# folder of our own too, so several runs can go on at once.
start_session_bus() {
    mkdir -m 700 "$tmp/run"
    export XDG_RUNTIME_DIR="$tmp/run"
    dbus-daemon --session --nofork --nopidfile --print-address=4 4>"$tmp/bus" 2>"$tmp/dbus.log" &
    pids+=($!)
    wait_until "the session bus" 30 test -s "$tmp/bus" || return 1
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$tmp/bus")
    export DBUS_SESSION_BUS_ADDRESS
}

# On exit: stops what runs in the background, shows the last $1 lines of the offline server's
# and the program's logs when the script failed (not when it passed or skipped with 77), and
# removes $tmp. Install with `trap 'clean_up_on_exit 40' EXIT`.
clean_up_on_exit() {
    local status=$? lines=$1
    trap - EXIT INT TERM
    stop_background
    if [ "$status" -ne 0 ] && [ "$status" -ne 77 ]; then
        echo "--- offline server log"; tail -n "$lines" "$tmp/server.log" 2>/dev/null || true
        echo "--- program output"; tail -n "$lines" "$tmp/app/program.log" 2>/dev/null || true
    fi
    rm -rf "$tmp"
    exit "$status"
}
