#!/usr/bin/env bash
# The whole test suite: native, with the PowerShell module's cases under
# pwsh; the Windows build under Wine; the release
# packages and what a release publishes; each fuzz target for a minute; the
# house style and the workflows' lint; the native suite
# again with AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

# Everything needed was installed above, so a Wine suite that cannot run is
# a failure here, not a skip.
export PATHSHRINK_REQUIRE_WINE=1

# Each Wine prefix the suites use is made whole before any test starts: a
# prefix that a test's first run of Wine half-makes fails every test after
# it (seen once, on a loaded machine).
for prefix in build/wineprefix build-windows/wineprefix; do
  if [ ! -f "$prefix/system.reg" ]; then
    rm -rf "$prefix"
    WINEPREFIX="$PWD/$prefix" scripts/wine.sh wineboot -u >/dev/null 2>&1 || true
    WINEPREFIX="$PWD/$prefix" /usr/lib/wine/wineserver -w
  fi
done

# Where the .NET SDK is, PowerShell 7 and Pester were installed above and
# the module's cases run in the native suite; elsewhere, one line says not.
if ! scripts/powershell-tools.sh pwsh >/dev/null; then
  if command -v dotnet >/dev/null 2>&1; then
    echo "PowerShell 7 did not install: see scripts/powershell-tools.sh" >&2
    exit 1
  fi
  echo "== PowerShell cases not run: no .NET SDK (dotnet) here to install PowerShell 7 and Pester with"
fi

# The Windows build's cases meet a hosted runner's user, profile and
# temporary folder.
scripts/wine-as-runner.sh build-windows/wineprefix build-windows/system/short_path_probe.exe

echo "== Native suite (with memcheck runs of the end-to-end suites, the PowerShell module's cases)"
ctest --preset default
echo "== Windows suite under Wine"
ctest --preset windows

echo "== Release packages"
scripts/check-packages.sh
echo "== Release: signed ZIPs, sums and manifests"
scripts/check-release.sh

echo "== Fuzzing"
scripts/fuzz.sh "${PATHSHRINK_FUZZ_SECONDS:-60}"

echo "== House style"
scripts/lint.sh

echo "== Native suite with AddressSanitizer and UBSan"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize
# valgrind and ASan do not mix; the Wine cases run an .exe no sanitizer built.
ctest --preset sanitize -E 'memcheck|wine_end_to_end'

echo "== All suites passed"
