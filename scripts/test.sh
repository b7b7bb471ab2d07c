#!/usr/bin/env bash
# Sets up, builds and runs every test (offscreen, no display needed): first a normal build,
# checked by clang-tidy, then the same suite built with AddressSanitizer,
# UndefinedBehaviorSanitizer and LeakSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh --tests

# Every C++ file keeps the project's formatting (checked in a git checkout).
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
fi

cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRELO_WERROR=ON \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build-test
scripts/tidy.sh build-test
ctest --test-dir build-test --output-on-failure

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMIRELO_WERROR=ON \
    -DMIRELO_SANITIZE=ON >/dev/null
cmake --build build-sanitize
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    ctest --test-dir build-sanitize --output-on-failure
