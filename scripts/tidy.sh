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

# One file: its findings, without clang-tidy's count of what it left out of Qt's headers.
tidy_one() {
    local status=0 out
    out=$(clang-tidy -p "$build" --quiet "$1" 2>&1) || status=$?
    printf '%s\n' "$out" | grep -vE '^[0-9]+ (warnings?|errors?)( and [0-9]+ errors?)? generated\.$' || true
    return $status
}
export -f tidy_one
export build

# Only files the build compiles: a header is checked through the sources that include it.
git ls-files -z '*.cpp' | xargs -0 -n 1 -P "$(nproc)" bash -c 'tidy_one "$0"'
