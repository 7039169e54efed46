#!/usr/bin/env bash
# Cross-builds the parts without Qt for Windows with mingw-w64 and runs their
# tests under wine. The wine session (a fresh prefix inside the build folder,
# COM ports backed by pseudo-terminals, no port reaching a real /dev device)
# is a ctest fixture: cmake/wine-session.sh.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
dir=${1:-build/win}
start=$(date +%s)

cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DLUMAROKUB_WERROR=ON -DLUMAROKUB_TESTS=ON >/dev/null
ninja -C "$dir"
built=$(date +%s)
status=0
ctest --test-dir "$dir" --output-on-failure --timeout 300 --no-tests=error || status=$?
echo "wine stage: build $((built - start)) s, tests under wine $(($(date +%s) - built)) s"
exit $status
