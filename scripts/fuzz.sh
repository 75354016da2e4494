#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer and runs each for SECONDS
# (default 60) from the starting corpus in fuzz/corpus. A crash fails the run and
# leaves its input in build-fuzz/crashes/ to become a regression test. Then
# runs the editing differential test longer than the suite does, from
# EDITING_SEED (default 2; the suite runs seed 1).
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
"$root/scripts/install-deps.sh" --ci
CXX=clang++-14 CC=clang-14 cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DINKWELLOR_FUZZ=ON -DINKWELLOR_BUILD_TESTS=ON -DINKWELLOR_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_all tst_editing
mkdir -p "$build/crashes"
export QT_QPA_PLATFORM=offscreen
for target in cursor_file text_decode settings_text style_sheet; do
    corpus=$(mktemp -d)
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    # A starting input beyond 64 KiB, so that long lines are reached at once.
    { printf 'QWidget { color: red; }\n'; head -c 200000 /dev/zero | tr '\0' 'w' |
        sed 's/wwwwwww/word /g'; } >"$corpus/long-line"
    echo "fuzz: $target for ${seconds}s"
    "$build/fuzz/fuzz_$target" "$corpus" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -max_len=1048576 -artifact_prefix="$build/crashes/$target-" \
        -print_final_stats=1 2>"$build/fuzz-$target.log" ||
        { tail -n 40 "$build/fuzz-$target.log"; exit 1; }
    grep -E '^(stat::number_of_executed_units|Done)' "$build/fuzz-$target.log" | tr '\n' ' '
    echo
    rm -rf "$corpus"
done
seed=${EDITING_SEED:-2}
cases=$((seconds * 20))
echo "editing: $cases cases a mode from seed $seed"
# Built on the instrumented libraries: leaks are check-sanitizers.sh's matter.
ASAN_OPTIONS=detect_leaks=0 EDITING_SEED=$seed EDITING_CASES=$cases \
    "$build/tests/tst_editing" randomEditsAsInAPlainEditor \
    >"$build/fuzz-editing.log" 2>&1 || { grep -A3 FAIL "$build/fuzz-editing.log"; exit 1; }
grep -E '^Totals' "$build/fuzz-editing.log"
