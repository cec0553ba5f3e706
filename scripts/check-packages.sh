#!/usr/bin/env bash
# Makes the release packages from the built trees and checks what is in them:
# the Windows ZIP holds pathshrink.exe, README.md, LICENSE and the PowerShell
# module at its root, and the
# packaged .exe runs under Wine; the .tar.gz and the .deb hold the program
# and its manual page, and the packaged program runs.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "check-packages: $*" >&2; exit 1; }
zip_listing="LICENSE Pathshrink.Format.ps1xml Pathshrink.psd1 Pathshrink.psm1 README.md pathshrink.exe "

echo "== Windows ZIP"
(cd build-windows && cpack -G ZIP >/dev/null 2>&1)
zip=build-windows/pathshrink-$version-windows-x64.zip
[ -f "$zip" ] || fail "no $zip"
unzip -q "$zip" -d "$work/zip"
[ "$(cd "$work/zip" && ls | LC_ALL=C sort | tr '\n' ' ')" = "$zip_listing" ] ||
  fail "$zip does not hold exactly $zip_listing at its root"
out=$(scripts/wine.sh "$work/zip/pathshrink.exe" \
  'C:\windows;C:\No Such Directory;C:\windows' 2>/dev/null | tr -d '\r')
[ "$out" = 'C:\windows' ] || fail "the packaged pathshrink.exe answered '$out'"
echo "$zip: pathshrink.exe, README.md, LICENSE, the PowerShell module; runs under Wine"

echo "== .tar.gz and .deb"
(cd build && cpack >/dev/null 2>&1)
tgz=build/pathshrink-$version-Linux.tar.gz
deb=build/pathshrink_${version}_amd64.deb
[ -f "$tgz" ] || fail "no $tgz"
[ -f "$deb" ] || fail "no $deb"
contents=$(dpkg-deb -c "$deb")
grep -q './usr/bin/pathshrink$' <<<"$contents" || fail "no program in $deb"
grep -q './usr/share/man/man1/pathshrink.1' <<<"$contents" || fail "no manual page in $deb"
tar -xzf "$tgz" -C "$work"
tool="$work/pathshrink-$version-Linux/bin/pathshrink"
[ -f "$work/pathshrink-$version-Linux/share/man/man1/pathshrink.1" ] || fail "no manual page in $tgz"
out=$("$tool" "/;/no/such/directory;/" 2>/dev/null)
[ "$out" = "/" ] || fail "the packaged pathshrink answered '$out'"
echo "$tgz, $deb: program and manual page; runs"
