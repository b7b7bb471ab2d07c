#!/usr/bin/env bash
# The signed-in session end to end, with the real programs against
# `mirelo-offline-server --signed-in-only`, which answers the values only to its demo session:
# the window fills 10001's row when the demo cookies are in its default file and shows the row of
# a space it may not see without them; mirelo-lookup does the same. Nothing the run writes (the
# programs' output, the server's log, the files beside the window) holds the session's value.
#
# The window has no option to trust the offline server's certificate authority, and Qt reads
# only the system's certificate folders: the whole run goes on in a private mount namespace with
# that authority mounted over /etc/ssl/certs (a user namespace too when not run as root).
#
# usage: signedin.sh PROGRAM LOOKUP OFFLINE_SERVER
# Exit status 0: passed; 77: a tool it needs or a private namespace is not available (skipped);
# anything else: failed. Every wait is bounded.
set -euo pipefail

inside=false
if [ "${1:-}" = --in-namespace ]; then
    inside=true
    shift
fi
if [ $# -ne 3 ]; then
    echo "usage: $0 PROGRAM LOOKUP OFFLINE_SERVER" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "signedin: skipped: $1"
    exit 77
}
if ! $inside; then
    for tool in Xvfb xdotool dbus-daemon openssl unshare mount; do
        command -v "$tool" >/dev/null 2>&1 || skip "$tool is missing"
    done
    [ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is missing"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is missing"
    namespace=(unshare -m)
    [ "$(id -u)" -eq 0 ] || namespace=(unshare -r -m)
    "${namespace[@]}" true 2>/dev/null || skip "no private mount namespace (unshare ${namespace[*]:1})"
    exec "${namespace[@]}" "$0" --in-namespace "$@"
fi

program=$(readlink -f "$1")
lookup=$(readlink -f "$2")
server=$(readlink -f "$3")
tmp=$(mktemp -d "${TMPDIR:-/tmp}/mirelo-signedin.XXXXXX")
script_name=signedin
. "$here/../support/background.sh"
trap 'clean_up_on_exit 20' EXIT
trap 'exit 130' INT TERM
fail() {
    echo "signedin: FAILED: $1" >&2
    exit 1
}

# The demo session in the default file of one configuration folder; the other has none.
mkdir -p "$tmp/signed-in/Mirelo" "$tmp/signed-out" "$tmp/ca" "$tmp/app"
"$server" --demo-cookies "$tmp/signed-in/Mirelo/cookies.txt" >"$tmp/demo-cookies.log"
demo_value=$(awk -F'\t' '$6 == "p_skey" { print $7 }' "$tmp/signed-in/Mirelo/cookies.txt")
[ -n "$demo_value" ] || fail "no p_skey in the demo cookies"

"$server" --port 0 --signed-in-only --write-ca-certificate "$tmp/ca/authority.pem" \
    >"$tmp/server.log" 2>&1 &
pids+=($!)
wait_until "the offline server" 30 grep -q 'listening on 127.0.0.1:' "$tmp/server.log"
port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\);.*/\1/p' "$tmp/server.log")
# The authority as the only one this namespace trusts, in the hashed form Qt looks up.
openssl rehash "$tmp/ca" 2>/dev/null || fail "openssl rehash failed"
mount --bind "$tmp/ca" /etc/ssl/certs || fail "cannot mount the authority over /etc/ssl/certs"
unset no_proxy NO_PROXY HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY
export http_proxy="http://127.0.0.1:$port" https_proxy="http://127.0.0.1:$port"
start_display
start_session_bus
cp "$program" "$tmp/app/"
echo "signedin: offline server on port $port, answering only the demo session"

for state in signed-in signed-out; do
    export XDG_CONFIG_HOME="$tmp/$state"
    # mirelo-lookup, told the authority on its command line. Signed out it asks the old
    # addresses like a script, and the services' firewall turns it away: it says so and backs
    # off, until Ctrl-C.
    status=0
    if [ $state = signed-in ]; then
        "$lookup" --ca-certificate "$tmp/ca/authority.pem" 10001 >"$tmp/lookup-$state.out" \
            2>"$tmp/lookup-$state.err" || status=$?
        expected='0 .*"nickname":"小明","points":7840,.*"status":"ok"'
        said=$(cat "$tmp/lookup-$state.out")
    else
        timeout --preserve-status -s INT 8 "$lookup" --ca-certificate "$tmp/ca/authority.pem" 10001 \
            >"$tmp/lookup-$state.out" 2>"$tmp/lookup-$state.err" || status=$?
        expected="130 mirelo-lookup: the services' firewall blocked the requests"
        said=$(cat "$tmp/lookup-$state.err")
    fi
    grep -q "$expected" <<<"$status $said" ||
        fail "mirelo-lookup $state (status $status): $(cat "$tmp/lookup-$state.out" "$tmp/lookup-$state.err")"
    echo "signedin: mirelo-lookup $state: status $status, as expected"
    # The window, run from a copy of its folder (it writes files beside itself).
    timeout 40 /usr/bin/python3 "$here/signedin.py" "$tmp/app/$(basename "$program")" $state
    cat "$tmp/app/program.log" >>"$tmp/window.log"
done
# The window without a session: signed in by QR code with the mouse, then out again.
mkdir -p "$tmp/window-sign-in"
XDG_CONFIG_HOME="$tmp/window-sign-in" timeout 75 /usr/bin/python3 "$here/signedin.py" \
    "$tmp/app/$(basename "$program")" sign-in
cat "$tmp/app/program.log" >>"$tmp/window.log"
if grep -E 'ptsigx=[^.&]|ptqrtoken=[^.&]|qrsig' "$tmp/window.log" "$tmp/server.log"; then
    fail "the window's sign-in wrote a secret of the login"
fi

# Signing in by QR code with mirelo-lookup, each ending the offline server can play.
sign_in() { # ENDING STATUS MESSAGE
    local ending=$1 want=$2 message=$3 dir=$tmp/sign-in-$1 status=0 port
    mkdir -p "$dir/ca"
    "$server" --port 0 --signed-in-only --sign-in "$ending" \
        --write-ca-certificate "$dir/ca/authority.pem" >"$dir/server.log" 2>&1 &
    pids+=($!)
    wait_until "the $ending server" 30 grep -q 'listening on 127.0.0.1:' "$dir/server.log"
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\);.*/\1/p' "$dir/server.log")
    http_proxy="http://127.0.0.1:$port" https_proxy="http://127.0.0.1:$port" \
        timeout --preserve-status -s INT 60 "$lookup" --sign-in --cookies "$dir/Mirelo/cookies.txt" \
        --ca-certificate "$dir/ca/authority.pem" >"$dir/out" 2>"$dir/err" || status=$?
    [ "$status" = "$want" ] && grep -q "$message" "$dir/err" ||
        fail "--sign-in, $ending: status $status: $(cat "$dir/err")"
    if [ "$ending" = sign-in ]; then
        [ "$(stat -c %a "$dir/Mirelo/cookies.txt")" = 600 ] || fail "the session file is not private"
        [ "$(stat -c %a "$dir/Mirelo")" = 700 ] || fail "the session's folder is not private"
        grep -q "█" "$dir/out" || fail "no code drawn on the terminal"
        # Asked as given: its address whole, nothing of the signature beside ptsigx.
        grep -q 'check_sig?.*&s_url=https%3A%2F%2Fqzs\.qq\.com%2Fqzone%2F' "$dir/server.log" ||
            fail "the check_sig address was not asked as given"
        http_proxy="http://127.0.0.1:$port" https_proxy="http://127.0.0.1:$port" \
            "$lookup" --cookies "$dir/Mirelo/cookies.txt" --ca-certificate "$dir/ca/authority.pem" \
            10001 | grep -q '"status":"ok"' || fail "the session signed in is refused"
    fi
    # The login's secrets are in no output or log.
    if grep -E 'ptsigx=[^.&]|ptqrtoken=[^.&]|qrsig' "$dir/out" "$dir/err" "$dir/server.log"; then
        fail "--sign-in, $ending: a secret of the login was written"
    fi
    echo "signedin: mirelo-lookup --sign-in, $ending: status $status, as expected"
}
sign_in sign-in 0 "signed in as QQ 10001"
sign_in refuse 1 "refused on the phone"
sign_in expire 1 "expired too often"
sign_in restrict 1 "may not sign in by QR code"

# Signed in (over https), only today's addresses were asked: the old mood and blog ones are gone.
if grep -E 'emotion_cgi_msglist\?|blog_get_titlelist' "$tmp/server.log" | grep -q https; then
    fail "a signed-in request went to an address that is gone"
fi

# The session's value appears in its own file and nowhere else.
if grep -rl -D skip --exclude=cookies.txt -F -- "$demo_value" "$tmp"; then
    fail "the session's value was written above"
fi
echo "signedin: passed; the session's value is in no output, log or file of the run"
