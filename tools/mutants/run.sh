#!/usr/bin/env bash
# Puts each fault of mutants.tsv alone into a scratch copy of the tree, rebuilds, runs the suite
# without the smoke tests and the package, and prints how many faults the
# suite caught and which it let through. The tree itself is never written to.
#
#   tools/mutants/run.sh [NAME...]      every fault, or only the named ones
#
# About a minute a fault on two cores, after one full build of the copy.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel)
table=$here/mutants.tsv
notInSuite='^(smoke|smoke_signedin|package)$'

work=$(mktemp -d "${TMPDIR:-/tmp}/mirelo-mutants.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'echo "run.sh: stopped" >&2; exit 130' INT TERM
tree=$work/tree
build=$work/build
log=$work/log

# The working tree as it is, committed or not, without ignored files and build folders. Files
# keep their times, so only what a fault touches is compiled again.
mkdir -p "$tree"
(cd "$repo" && git ls-files -z --cached --others --exclude-standard \
    | xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh \
    | tar --null -T - -cf -) | tar -xf - -C "$tree"

# The table as the tree was copied: the run is not thrown by edits made while it goes on.
cp "$table" "$work/mutants.tsv"
table=$work/mutants.tsv
names=$(python3 "$here/mutate.py" "$table" "$tree")
if (($#)); then
    for name; do
        grep -qxF -- "$name" <<<"$names" || { echo "run.sh: no fault named $name" >&2; exit 2; }
    done
    names=$(printf '%s\n' "$@")
fi

# Compiler caches, where ccache is installed, hit across runs although every run builds in a
# new folder.
export CCACHE_BASEDIR=$work CCACHE_NOHASHDIR=1
# Warnings stay warnings: a fault that only warns is still a fault to catch.
echo "Building the copy in $build ..."
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >"$log" 2>&1 \
    || { cat "$log"; exit 1; }
mapfile -t targets < <(ctest --test-dir "$build" -N -E "$notInSuite" | sed -n 's/^ *Test *#[0-9]*: //p')
targets+=(mirelo-lookup)

buildSuite() { cmake --build "$build" --target "${targets[@]}" >"$log" 2>&1; }
runSuite() {
    ctest --test-dir "$build" -E "$notInSuite" -j2 --stop-on-failure --timeout 120 >"$log" 2>&1
}

buildSuite || { cat "$log"; echo "run.sh: the copy does not build" >&2; exit 1; }
runSuite || { cat "$log"; echo "run.sh: the suite fails without any fault" >&2; exit 1; }

caught=0
total=0
missed=()
unbuilt=()
while read -r name; do
    # Kept before the fault goes in, so that the next fault runs alone.
    file=$(awk -F'\t' -v name="$name" '$1 == name { print $2 }' "$table")
    cp "$tree/$file" "$work/original"
    python3 "$here/mutate.py" "$table" "$tree" "$name" >/dev/null
    if ! buildSuite; then
        unbuilt+=("$name")
        echo "does not build  $name"
    elif runSuite; then
        total=$((total + 1))
        missed+=("$name")
        echo "MISSED          $name"
    else
        total=$((total + 1))
        caught=$((caught + 1))
        # Which tests failed, so that a catch by an unrelated flaky test shows.
        failed=$(sed -n '/The following tests FAILED:/,$ s/^[[:space:]]*[0-9]* - \([^ ]*\).*/\1/p' \
            "$log" | paste -sd' ')
        echo "caught          $name (${failed:-?})"
    fi
    # Put back with a new time, so the next build compiles the file again.
    cat "$work/original" >"$tree/$file"
done <<<"$names"

echo
echo "caught $caught of $total"
if ((${#missed[@]})); then
    echo "missed: ${missed[*]}"
fi
if ((${#unbuilt[@]})); then
    echo "not counted, they do not build: ${unbuilt[*]}"
fi
