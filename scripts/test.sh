#!/usr/bin/env bash
# Builds LumarokUb and runs every test: the plain build, then the whole suite
# again under AddressSanitizer+UndefinedBehaviorSanitizer and under
# ThreadSanitizer, then a bounded fuzzing run; the plain build is also made into
# the Debian package and checked (scripts/package.sh).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh || exit 1

export QT_QPA_PLATFORM=offscreen
fuzz_seconds=${LUMAROKUB_FUZZ_SECONDS:-30}
passed=0
failed=0

stage() {
    local name=$1
    shift
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1))
    else
        echo "=== $name FAILED"
        failed=$((failed + 1))
    fi
}

suite() {
    local dir=$1
    shift
    bash scripts/build.sh "$dir" -DLUMAROKUB_WERROR=ON -DLUMAROKUB_TESTS=ON "$@" &&
        ctest --test-dir "$dir" --output-on-failure -j2 --timeout 300 --no-tests=error
}

fuzz() {
    local dir=build/fuzz
    cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DLUMAROKUB_FUZZ=ON -DLUMAROKUB_WERROR=ON \
        -DLUMAROKUB_GUI=OFF -DLUMAROKUB_TESTS=OFF -DLUMAROKUB_BENCH=OFF >/dev/null &&
        ninja -C "$dir" fuzz_decode fuzz_commands || return 1
    local corpus
    corpus=$(mktemp -d)
    cp ../shared/corpus/nmea/*.log ../shared/corpus/ubx/*.log "$corpus"/ 2>/dev/null || true
    local rc=0
    for target in "$dir"/tests/fuzz/fuzz_*; do
        [ -x "$target" ] || continue
        echo "--- $(basename "$target") for ${fuzz_seconds}s"
        "$target" -max_total_time="$fuzz_seconds" -max_len=4096 -print_final_stats=1 "$corpus" \
            > "$dir/$(basename "$target").log" 2>&1 || { tail -50 "$dir/$(basename "$target").log"; rc=1; }
        grep -E '^stat::number_of_executed_units' "$dir/$(basename "$target").log" || true
    done
    rm -rf "$corpus"
    return $rc
}

stage "tests" suite build/release
stage "Debian package" bash scripts/package.sh build/release
stage "tests under ASan+UBSan" suite build/asan -DLUMAROKUB_SANITIZE=address -DLUMAROKUB_BENCH=OFF
stage "tests under TSan" suite build/tsan -DLUMAROKUB_SANITIZE=thread -DLUMAROKUB_BENCH=OFF
stage "fuzzing" fuzz
stage "Windows build under wine" bash scripts/wine-tests.sh build/win

echo "suites: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
