#!/usr/bin/env bash
# The whole test suite: native, then the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh

# Everything needed was installed above, so a Wine suite that cannot run is
# a failure here, not a skip.
export PATHSHRINK_REQUIRE_WINE=1

ctest --preset default
ctest --preset windows
