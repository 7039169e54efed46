#!/usr/bin/env bash
# Builds LumarokUb and runs the monitor with the given options (see --help).
# Without a display (no DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM) it decodes
# a real receiver capture from the shared corpus and prints the final state.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
bash scripts/build.sh build/release -DLUMAROKUB_TESTS=OFF
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}${QT_QPA_PLATFORM:-}" ]; then
    # With no options, show a real receiver's capture so there is something to see.
    [ $# -gt 0 ] || set -- --replay ../shared/corpus/nmea/mt3339.log
    exec build/release/shell/lumarokub "$@"
fi
capture=${1:-../shared/corpus/nmea/mt3339.log}
exec build/release/tools/decode/lumarokub-decode --final "$capture"
