#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, ASan, UBSan) into build-fuzz/ and runs each
# one in turn.
#   tools/fuzz/run.sh [seconds-per-target] [target...]
# Seconds default to 60; with no targets named, all of them run. New corpus entries go to
# build-fuzz/corpus/<target>/, crashing inputs to build-fuzz/crashes/<target>/; the seeds in
# tools/fuzz/corpus/ are only read.
set -euo pipefail

seconds=${1:-60}
shift || true
if ! [[ $seconds =~ ^[0-9]+$ ]]; then
    echo "usage: $0 [seconds-per-target] [target...]" >&2
    exit 2
fi

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
src=$root/src
out=$root/build-fuzz
mkdir -p "$out/obj"

cxx=${CXX_FUZZ:-clang++}
command -v "$cxx" >/dev/null || { echo "needs $cxx: apt-get install -y clang libclang-rt-14-dev" >&2; exit 1; }
qcoro=/usr/include/qcoro6
[ -d "$qcoro" ] || { echo "needs QCoro's headers in $qcoro (qcoro-qt6-dev)" >&2; exit 1; }

# target: objects it links, and the longest input worth trying.
declare -A objects=(
    [visitors]="extract.o"
    [portrait]="extract.o"
    [moods]="extract.o"
    [count_marker]="extract.o"
    [flower]="extract.o"
    [format_points]="extract.o"
    [readings]="readings.o jsonanswer.o services.o serviceoutcome.o extract.o addresses.o"
    [poll_answer]="qrlogin.o"
    [cookies_file]="cookiesfile.o sessionchecks.o session.o readings.o jsonanswer.o services.o
        serviceoutcome.o extract.o addresses.o"
    [qr_picture]="qrterminal.o"
    [level_table]="leveltable.o"
    [calculator]="calculator.o leveltable.o"
    [decode_body]="charset.o"
    [decode_mp3]="mp3decoder.o"
)
declare -A maxlen=(
    [visitors]=4096 [portrait]=4096 [moods]=4096 [count_marker]=4096 [flower]=4096
    [format_points]=8 [readings]=4096 [poll_answer]=1024 [cookies_file]=4096 [qr_picture]=16384
    [level_table]=12 [calculator]=1024 [decode_body]=4096
    [decode_mp3]=65536
)
order=(visitors portrait moods count_marker flower format_points readings poll_answer cookies_file
    qr_picture level_table calculator decode_body decode_mp3)

if [ $# -gt 0 ]; then
    for name in "$@"; do
        [ -n "${objects[$name]+x}" ] || { echo "unknown target: $name (one of: ${order[*]})" >&2; exit 2; }
    done
    order=("$@")
fi

# webclient.h pulls in QCoro. The readings link the addresses, which want the deployment values:
# any will do here.
mkdir -p "$out/obj/config"
sed -e 's/@PROJECT_VERSION[A-Z_]*@;/0;/' -e 's/@[A-Z_]*@/fuzz.invalid/' \
    "$src/config/deployment.h.in" >"$out/obj/config/deployment.h.new"
cmp -s "$out/obj/config/deployment.h.new" "$out/obj/config/deployment.h" \
    || mv "$out/obj/config/deployment.h.new" "$out/obj/config/deployment.h"
cxxflags=(-std=c++20 -fPIC -g -O1 -fno-omit-frame-pointer
    -fsanitize=address,undefined -fno-sanitize-recover=undefined
    -I"$src" -I"$out/obj" -isystem "$qcoro" -isystem "$qcoro/qcoro" -isystem "$qcoro/QCoro"
    $(pkg-config --cflags Qt6Core Qt6Network Qt6Gui libmpg123))
libs=($(pkg-config --libs Qt6Core Qt6Network Qt6Gui libmpg123) -lQCoro6Core -lQCoro6Network)

# Rebuilt when missing or older than its source, any header of src/ or the shared fuzz header.
stale() {
    local target=$1 source=$2
    [ ! -e "$target" ] || [ "$source" -nt "$target" ] || [ "$here/fuzz_common.h" -nt "$target" ] \
        || [ -n "$(find "$src" -name '*.h' -newer "$target" -print -quit)" ]
}

compile() { # object source
    if stale "$1" "$2"; then
        echo "compiling $(basename "$2")"
        "$cxx" "${cxxflags[@]}" -fsanitize=fuzzer-no-link -c "$2" -o "$1"
    fi
}

compile "$out/obj/extract.o" "$src/query/extract.cpp"
for unit in readings jsonanswer services serviceoutcome addresses; do
    compile "$out/obj/$unit.o" "$src/query/$unit.cpp"
done
compile "$out/obj/calculator.o" "$src/level/calculator.cpp"
compile "$out/obj/leveltable.o" "$src/level/leveltable.cpp"
compile "$out/obj/charset.o" "$src/web/charset.cpp"
compile "$out/obj/session.o" "$src/web/session.cpp"
for unit in cookiesfile sessionchecks qrlogin; do
    compile "$out/obj/$unit.o" "$src/session/$unit.cpp"
done
compile "$out/obj/qrterminal.o" "$src/cli/qrterminal.cpp"
compile "$out/obj/mp3decoder.o" "$src/audio/mp3decoder.cpp"

for name in "${order[@]}"; do
    binary=$out/fuzz_$name
    linked=()
    relink=0
    for object in ${objects[$name]}; do
        linked+=("$out/obj/$object")
        [ "$out/obj/$object" -nt "$binary" ] && relink=1
    done
    if [ $relink = 1 ] || stale "$binary" "$here/fuzz_$name.cpp"; then
        echo "building fuzz_$name"
        "$cxx" "${cxxflags[@]}" -fsanitize=fuzzer "$here/fuzz_$name.cpp" "${linked[@]}" \
            "${libs[@]}" -o "$binary"
    fi
done

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

summary=()
status=0
for name in "${order[@]}"; do
    corpus=$out/corpus/$name
    crashes=$out/crashes/$name
    log=$out/fuzz_$name.log
    mkdir -p "$corpus" "$crashes"
    before=$(find "$crashes" -type f | wc -l)
    stamp=$out/.started_$name
    touch "$stamp"
    echo "== fuzz_$name: ${seconds}s (log: $log)"
    extra=()
    [ -d "$here/corpus/$name" ] && extra+=("$here/corpus/$name")
    [ -f "$here/$name.dict" ] && extra+=(-dict="$here/$name.dict")
    started=$(date +%s)
    "$out/fuzz_$name" "$corpus" "${extra[@]}" -max_total_time="$seconds" \
        -max_len="${maxlen[$name]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$crashes/" >"$log" 2>&1 || true
    elapsed=$(( $(date +%s) - started ))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    [ -n "$runs" ] || runs=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#')
    after=$(find "$crashes" -type f | wc -l)
    found=$((after - before))
    [ $found -gt 0 ] && status=1
    line=$(printf '%-14s %5ss  %12s runs  %d new crash(es)' "$name" "$elapsed" "${runs:-?}" "$found")
    echo "$line"
    [ $found -gt 0 ] && find "$crashes" -type f -newer "$stamp" | sed 's/^/    /'
    summary+=("$line")
done

echo
echo "target         time            runs  crashes"
printf '%s\n' "${summary[@]}"
exit $status
