#!/usr/bin/env bash
# Builds LumarokUb and runs the monitor with the given options (see --help).
# Without options it connects to a simulated receiver (--demo). Without a
# display (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM) it decodes a real
# receiver capture from the shared corpus and prints the final state. It builds
# into build/run, without tests, so scripts/test.sh's build/release keeps them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
bash scripts/build.sh build/run -DLUMAROKUB_TESTS=OFF -DLUMAROKUB_BENCH=OFF
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    # With no options, a simulated receiver so there is something to see at once.
    [ $# -gt 0 ] || set -- --demo
    exec build/run/shell/lumarokub "$@"
fi
capture=${1:-../shared/corpus/nmea/mt3339.log}
exec build/run/tools/decode/lumarokub-decode --final "$capture"
