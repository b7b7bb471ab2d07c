#!/usr/bin/env bash
# Sets up, builds and starts Mirelo.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build build --target mirelo
exec build/src/mirelo "$@"
