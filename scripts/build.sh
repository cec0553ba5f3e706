#!/usr/bin/env bash
# Configures and builds the native tree (build/) and the Windows tree
# (build-windows/). Quiet when nothing changed.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in default windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
