#!/usr/bin/env bash
# Sets up, builds and runs every test (offscreen, no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRELO_WERROR=ON >/dev/null
cmake --build build-test
ctest --test-dir build-test --output-on-failure
