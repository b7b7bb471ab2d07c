#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy, warnings as errors) on every C++ source file of
# the project, against the compile commands of a configured and built folder.
#   scripts/tidy.sh [BUILD_DIR]     (default build-test)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-test}
if [ ! -f "$build/compile_commands.json" ]; then
    echo "tidy: $build/compile_commands.json is missing; configure with" \
        "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON and build first" >&2
    exit 2
fi
# Only files the build compiles: a header is checked through the sources that include it.
git ls-files -z '*.cpp' | xargs -0 -n 1 -P "$(nproc)" clang-tidy -p "$build" --quiet
