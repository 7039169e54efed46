#!/usr/bin/env bash
# The wine session the Windows tests run in, kept alive from start to stop.
#   wine-session.sh start BUILD HELPER PTY_COM SPARE_COM
#   wine-session.sh stop BUILD
# start makes a fresh prefix in BUILD/wineprefix, declares COM<PTY_COM> and
# COM<SPARE_COM> as ports backed by links in BUILD/com, starts a persistent
# session, takes away every port wine mapped to a real /dev device, and starts
# HELPER (wine-pty-com; its TCP port in BUILD/com/wine-pty-com.port: a file
# named com5.port would be the device COM5 to Windows), which aims COM<PTY_COM> at a pseudo-terminal per
# client. Nothing started here keeps the caller's output open.
set -euo pipefail
action=$1
build=$2
com="$build/com"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

stop_helper() {
    if [ -f "$com/helper.pid" ]; then
        kill "$(cat "$com/helper.pid")" 2>/dev/null || true
        rm -f "$com/helper.pid"
    fi
}

quiet() { "$@" </dev/null >/dev/null 2>&1; }

# A Linux path as wine sees it, on drive Z:.
wine_path() { printf 'Z:%s' "${1//\//\\}"; }

# Regedit's file format: backslashes doubled inside quotes.
reg_quote() { printf '"%s"' "${1//\\/\\\\}"; }

if [ "$action" = stop ]; then
    stop_helper
    quiet wineserver -k || true
    exit 0
fi

helper=$3
pty_com=$4
spare_com=$5
stop_helper
quiet wineserver -k || true
rm -rf "$WINEPREFIX" "$com"
mkdir -p "$com"
quiet wineboot -i

ports="$com/ports.reg"
{
    echo REGEDIT4
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Ports]'
    for n in "$pty_com" "$spare_com"; do
        echo "\"COM$n\"=$(reg_quote "$com/com$n")"
    done
} >"$ports"
quiet wine regedit /S "$(wine_path "$ports")"
quiet wineserver -w

# One session for all the tests: its start maps the declared ports, and also
# every /dev/ttyS*, ttyUSB*, ttyACM* (here /dev/ttyS0 is the console).
quiet wineserver -p
quiet wine cmd /c exit
unmap="$com/unmap.reg"
{
    echo REGEDIT4
    echo '[HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM]'
    for link in "$WINEPREFIX"/dosdevices/com*; do
        [ -L "$link" ] || continue
        case "$(readlink "$link")" in
            /dev/*) ;;
            *) continue ;;
        esac
        rm -f "$link"
        port=$(basename "$link" | tr a-z A-Z)
        wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' 2>/dev/null </dev/null |
            tr -d '\r' | awk -v port="$port" '$2 == "REG_SZ" && $3 == port { print $1 }' |
            while read -r value; do echo "$(reg_quote "$value")=-"; done
    done
} >"$unmap"
quiet wine regedit /S "$(wine_path "$unmap")"

rm -f "$com/wine-pty-com.port"
setsid "$helper" "$com/com$pty_com" "$com/wine-pty-com.port" </dev/null >"$com/helper.log" 2>&1 &
echo $! >"$com/helper.pid"
for _ in $(seq 100); do
    [ -f "$com/wine-pty-com.port" ] && break
    sleep 0.05
done
[ -f "$com/wine-pty-com.port" ] || { echo "wine-pty-com did not start" >&2; exit 1; }
echo "wine session ready: ports $(wine reg query 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' </dev/null 2>/dev/null |
    tr -d '\r' | awk '$2 == "REG_SZ" { printf " %s", $3 }')"
