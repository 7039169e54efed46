#!/usr/bin/env bash
# Installs what LumarokUb needs to build and test on Debian 12, only when missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev
    libgtest-dev nlohmann-json3-dev
    qt6-base-dev libgl-dev
    g++-mingw-w64-x86-64-posix
    dpkg-dev fakeroot lintian desktop-file-utils appstream help2man librsvg2-bin
    python3-gpxpy
)
# Wine runs the Windows build's tests; gpsd is the daemon the gpsd:// link
# tests talk to; rtklib's str2str is the NTRIP caster of the corrections
# tests. Their recommended packages are not needed.
lean_packages=(wine wine64 gpsd rtklib)

missing() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

mapfile -t need < <(missing "${packages[@]}")
mapfile -t need_lean < <(missing "${lean_packages[@]}")
[ ${#need[@]} -eq 0 ] && [ ${#need_lean[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    $sudo apt-get install -y -q "${need[@]}"
fi
if [ ${#need_lean[@]} -gt 0 ]; then
    echo "Installing: ${need_lean[*]}"
    $sudo apt-get install -y -q --no-install-recommends "${need_lean[@]}"
fi
