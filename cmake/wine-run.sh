#!/usr/bin/env bash
# Runs a Windows program under wine in the build's own prefix, quietly.
# Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
prefix=$1
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
