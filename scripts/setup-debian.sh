#!/usr/bin/env bash
# Installs the Debian packages Mirelo needs to build and run it (scripts/run.sh), and with
# --tests also those only the tests use (scripts/test.sh). Safe to run again: it installs
# nothing and prints nothing when everything is there already.
#
#   scripts/setup-debian.sh [--tests]
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qcoro-qt6-dev
    libqt6multimedia6 libmpg123-dev libqt6sql6-sqlite libqrencode-dev
    fonts-wqy-microhei
    qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
)
# The real programs driven on a private display, the sanitizers and the fuzz replays, the
# checks of the source and of the package.
test_packages=(
    xvfb xauth imagemagick xdotool xclip dbus-daemon at-spi2-core python3-pyatspi
    xcompmgr x11-utils openbox
    clang libclang-rt-14-dev clang-format clang-tidy git openssl
    dpkg-dev lintian desktop-file-utils appstream
)
case "${1:-}" in
--tests) packages+=("${test_packages[@]}") ;;
"") ;;
*) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "setup: run as root or install sudo" >&2; exit 1; }
    sudo=(sudo)
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
