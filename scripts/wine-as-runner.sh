#!/usr/bin/env bash
# Makes a Wine prefix meet what a hosted Windows runner gives the Windows
# build's cases, as far as Wine can: the profile of a user whose name needs
# a short form (runneradmin; Wine takes the user from USER, which the
# windows preset's tests set), the temporary folder below it and spelled
# short (C:\Users\RUNNER~1\AppData\Local\Temp on a runner), a folder for
# the cases outside the profile (the workflow's PATHSHRINK_TEST_TEMP), and
# another suite's folder left in each. Safe to run again.
# Usage: scripts/wine-as-runner.sh PREFIX SHORT_PATH_PROBE.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$(cd "$1" && pwd)  # Wine takes an absolute path only
probe=$2
export WINEPREFIX="$prefix" USER=runneradmin LOGNAME=runneradmin
wine() { "$root/scripts/wine.sh" "$@" 2>/dev/null | tr -d '\r'; }

temp="$prefix/drive_c/users/runneradmin/AppData/Local/Temp"
mkdir -p "$temp/pathshrink-test-1" "$prefix/drive_c/pathshrink-temp/pathshrink-test-1"
short=$(wine "$probe" 'C:\users\runneradmin\AppData\Local\Temp')
case "$short" in
  C:\\users\\RUNN*\\AppData\\Local\\Temp) ;;
  *) echo "wine-as-runner: the profile's temporary folder has no short form ('$short')" >&2; exit 1 ;;
esac
for name in TEMP TMP; do
  wine reg add 'HKCU\Environment' /v "$name" /t REG_SZ /d "$short" /f >/dev/null
done
/usr/lib/wine/wineserver -w
