#!/usr/bin/env bash
# scripts/package.sh [BUILD_DIR]: builds LumarokUb (in build/release unless
# told otherwise), makes its Debian package in build/package/ and checks it:
# the package unpacks and its programs run from there, the desktop entry and
# the AppStream metadata validate, and lintian finds no error.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/setup.sh
dir=${1:-build/release}
bash scripts/build.sh "$dir"
rm -rf build/package
cpack --config "$dir/CPackConfig.cmake" -B "$top/build/package" >/dev/null
rm -rf build/package/_CPack_Packages
deb=$(ls build/package/lumarokub_*.deb)
echo "package: $deb"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
"$unpacked/usr/bin/lumarokub-decode" --version
"$unpacked/usr/bin/lumarokub-sim" --version
"$unpacked/usr/bin/lumarokub" --version
sample=../shared/corpus/nmea/mt3339.log
if [ -f "$sample" ]; then
    "$unpacked/usr/bin/lumarokub-decode" --final "$sample" | python3 -m json.tool >/dev/null
    echo "lumarokub-decode --final $sample: JSON"
fi
"$unpacked/usr/bin/lumarokub-ttff" --version
"$unpacked/usr/bin/lumarokub-config" --version
for page in lumarokub lumarokub-decode lumarokub-sim lumarokub-ttff lumarokub-config; do
    [ -f "$unpacked/usr/share/man/man1/$page.1.gz" ] || { echo "no manual page for $page"; exit 1; }
done
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.metainfo.xml
lint=0
report=$(lintian --fail-on error "$deb" 2>&1) || lint=$?
grep -v "running with root privileges" <<<"$report" || true
[ "$lint" -eq 0 ] || { echo "lintian found errors"; exit 1; }
echo "package checks passed"
