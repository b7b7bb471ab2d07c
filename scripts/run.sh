#!/usr/bin/env bash
# Sets up, builds and starts Mirelo (and builds mirelo-lookup beside it).
#   scripts/run.sh             the program, against the real services
#   scripts/run.sh --offline   the program against the offline trial server (no network needed)
set -euo pipefail
cd "$(dirname "$0")/.."

offline=false
if [ "${1:-}" = "--offline" ]; then
    offline=true
    shift
fi

scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
if ! $offline; then
    cmake --build build --target mirelo mirelo-lookup
    exec build/src/mirelo "$@"
fi

cmake --build build --target mirelo mirelo-lookup mirelo-offline-server
port=18080
# The authority behind the server's https, for the window to trust: a session of the user's own
# and the avatar service's https are served by it too.
ca=$(mktemp -d "${TMPDIR:-/tmp}/mirelo-offline.XXXXXX")
build/tools/offline/mirelo-offline-server --port "$port" --write-ca-certificate "$ca/authority.pem" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$ca"' EXIT

# Wait (at most 5 s) until it takes connections; it ends at once when the port is taken.
listening=false
for _ in $(seq 50); do
    kill -0 "$server" 2>/dev/null || break
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
        listening=true
        break
    fi
    sleep 0.1
done
sleep 0.2
if ! $listening || ! kill -0 "$server" 2>/dev/null; then
    echo "run: the offline server did not start on 127.0.0.1:$port" >&2
    exit 1
fi

# The ordinary system proxy setting; nothing may bypass it, not even the https a session of
# the user's own (~/.config/Mirelo/cookies.txt) would be sent over.
unset no_proxy NO_PROXY HTTP_PROXY HTTPS_PROXY
ssl=()
[ -s "$ca/authority.pem" ] && ssl=(SSL_CERT_FILE="$ca/authority.pem")
# A configuration folder for the trial: it starts with a copy of the user's session, and
# signing in or out in the trial changes that copy, never the user's own file.
own_session="${XDG_CONFIG_HOME:-$HOME/.config}/Mirelo/cookies.txt"
mkdir -m 700 "$ca/config" "$ca/config/Mirelo"
[ -f "$own_session" ] && cp -p "$own_session" "$ca/config/Mirelo/cookies.txt"
env http_proxy="http://127.0.0.1:$port" https_proxy="http://127.0.0.1:$port" "${ssl[@]}" \
    XDG_CONFIG_HOME="$ca/config" build/src/mirelo "$@"
