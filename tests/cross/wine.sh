#!/usr/bin/env bash
# Runs COMMAND with a fresh Wine prefix of its own (win32 or win64), made for this run and
# removed afterwards, together with the Wine server that served it.
# Usage: wine.sh win32|win64 COMMAND...   (COMMAND runs programs with "wine PROGRAM.exe")
set -euo pipefail
arch=$1
shift
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix WINEARCH=$arch WINEDEBUG=-all
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
wineboot -i >"$scratch/wineboot.log" 2>&1 || { cat "$scratch/wineboot.log" >&2; exit 1; }
"$@"
