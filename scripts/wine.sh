#!/usr/bin/env bash
# Runs a Windows program under Wine as the scripts here do: quiet, without
# asking for Mono or Gecko, in the native build's prefix unless WINEPREFIX
# names another. Usage: scripts/wine.sh PROGRAM.exe [ARGS...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
exec /usr/lib/wine/wine64 "$@"
