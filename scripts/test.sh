#!/usr/bin/env bash
# Builds LumarokUb and runs every test: the plain build (the programs and the
# benchmarks) made into the Debian package and checked (scripts/package.sh),
# then the whole suite under AddressSanitizer+UndefinedBehaviorSanitizer, the
# suite without the Qt windows under ThreadSanitizer, a bounded fuzzing run and
# the Windows build under wine. The suite runs optimised under the sanitizers,
# so a plain run of it would add time and little else.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh || exit 1

export QT_QPA_PLATFORM=offscreen
fuzz_seconds=${LUMAROKUB_FUZZ_SECONDS:-20}
passed=0
failed=0
# What failed, repeated at the end: CI shows only the tail of the output.
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT

stage() {
    local name=$1
    shift
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "=== $name FAILED"
        echo "$name FAILED" >>"$summary"
        failed=$((failed + 1))
    fi
}

suite() {
    local dir=$1
    shift
    bash scripts/build.sh "$dir" -DLUMAROKUB_WERROR=ON -DLUMAROKUB_TESTS=ON "$@" || return 1
    local log="$dir/ctest-output.log"
    ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300 --no-tests=error 2>&1 | tee "$log"
    local rc=${PIPESTATUS[0]}
    if [ "$rc" -ne 0 ]; then
        # The failed tests' names, and the lines of their output that say why.
        sed -n '/The following tests FAILED/,$p' "$log" >>"$summary"
        grep -E '(Failure|FAILED|ERROR: (AddressSanitizer|ThreadSanitizer|LeakSanitizer)|WARNING: ThreadSanitizer|runtime error|Expected|Which is|Value of|Actual)' "$log" |
            head -60 >>"$summary"
    fi
    return "$rc"
}

fuzz() {
    local dir=build/fuzz
    cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DLUMAROKUB_FUZZ=ON -DLUMAROKUB_WERROR=ON \
        -DLUMAROKUB_GUI=OFF -DLUMAROKUB_TESTS=OFF -DLUMAROKUB_BENCH=OFF >/dev/null &&
        ninja -C "$dir" fuzz_targets || return 1
    # The captures, binary ones too, and small inputs with high bytes and '$'
    # inside binary data.
    local corpus
    corpus=$(mktemp -d)
    cp ../shared/corpus/nmea/*.log ../shared/corpus/ubx/*.log ../shared/corpus/rtcm/*.log \
        tests/fuzz/seeds/* "$corpus"/ 2>/dev/null || true
    local rc=0
    for target in "$dir"/tests/fuzz/fuzz_*; do
        [ -x "$target" ] || continue
        echo "--- $(basename "$target") for ${fuzz_seconds}s"
        "$target" -max_total_time="$fuzz_seconds" -max_len=4096 -print_final_stats=1 "$corpus" \
            > "$dir/$(basename "$target").log" 2>&1 || {
            tail -50 "$dir/$(basename "$target").log"
            { echo "$(basename "$target") found:"; grep -E '^(==[0-9]+==|SUMMARY|.*runtime error|Test unit written)' \
                "$dir/$(basename "$target").log" | head -20; } >>"$summary"
            rc=1
        }
        grep -E '^stat::number_of_executed_units' "$dir/$(basename "$target").log" || true
    done
    rm -rf "$corpus"
    return $rc
}

stage "plain build" bash scripts/build.sh build/release -DLUMAROKUB_WERROR=ON -DLUMAROKUB_TESTS=OFF
stage "Debian package" bash scripts/package.sh build/release
stage "tests under ASan+UBSan" suite build/asan -DLUMAROKUB_SANITIZE=address -DLUMAROKUB_BENCH=OFF
# The threads of the windows are those of the link layer, tested without Qt.
stage "tests under TSan" suite build/tsan -DLUMAROKUB_SANITIZE=thread -DLUMAROKUB_BENCH=OFF \
    -DLUMAROKUB_GUI=OFF
stage "fuzzing" fuzz
stage "Windows build under wine" bash scripts/wine-tests.sh build/win

if [ -s "$summary" ]; then
    echo "=== what failed"
    cat "$summary"
fi
echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
