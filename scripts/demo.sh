#!/usr/bin/env bash
# Builds pathshrink and runs it on a demo list: a tree with long names, one
# entry given twice, one that does not exist, and a link standing in for a
# junction. Natively (where paths have no short form: also the links it
# proposes) and then the Windows build under Wine, which has real short names.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh >/dev/null

demo=$(mktemp -d "${TMPDIR:-/tmp}/pathshrink-demo.XXXXXX")
trap 'rm -rf "$demo"' EXIT
mkdir -p "$demo/Program Files/Common Application Tools/bin" \
         "$demo/Program Files/Another Long Vendor Name/Utilities" \
         "$demo/Program Files (x86)/Legacy Build Tools"
ln -s "$demo/Program Files" "$demo/pf"

tools="$demo/Program Files/Common Application Tools/bin"
utils="$demo/Program Files/Another Long Vendor Name/Utilities"
legacy="$demo/Program Files (x86)/Legacy Build Tools"
list="$tools;$utils;$demo/No Such Directory;$legacy;$tools"

echo "(The report and any complaints go to standard error, the new list alone to"
echo " standard output; both are shown here, the new list last.)"
echo
echo "== Native build: drops the missing and the repeated entry, writes the link for its target"
echo "\$ build/cli/pathshrink LIST -j $demo/pf"
build/cli/pathshrink "$list" -j "$demo/pf" 2>&1

echo
echo "== Native build: what becomes of each entry, and why (--explain)"
echo "\$ build/cli/pathshrink --explain LIST -j $demo/pf"
build/cli/pathshrink --explain "$list" -j "$demo/pf" 2>/dev/null

echo
echo "== Native build: which links would shorten the list most (made in the demo folder)"
echo "\$ build/cli/pathshrink --suggest --junctions-in $demo LIST"
build/cli/pathshrink --suggest --junctions-in "$demo" "$list" 2>&1

echo
echo "== Windows build under Wine: every entry in its short form"
# Wine's own messages (it makes its prefix on first use, and says so) go to
# a log rather than among the tool's; the log is named only if Wine fails.
export WINEPREFIX="${WINEPREFIX:-$PWD/build/wineprefix}"
winelog=build/demo-wine.log
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  if ! { scripts/wine.sh wineboot -u && /usr/lib/wine/wineserver -w; } >"$winelog" 2>&1; then
    echo "(Wine could not make its prefix $WINEPREFIX: see $winelog)" >&2
    exit 1
  fi
fi
# Wine shows this file system's root as drive Z:.
winlist=$(printf '%s' "$list" | sed -e 's#/#\\#g' -e 's#\(^\|;\)\\#\1Z:\\#g')
echo "\$ wine64 build-windows/cli/pathshrink.exe LIST"
scripts/wine.sh build-windows/cli/pathshrink.exe "$winlist" 2>&1
# Wine's server saves the prefix's registry after the last program ends:
# wait for it, so that nothing is cut short when the demo ends.
/usr/lib/wine/wineserver -w
