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
