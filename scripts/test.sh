#!/usr/bin/env bash
# Builds everything and runs every test tier: native (sanitizers), then under Wine
# (unit tests against the real registry, files, processes and network, and end-to-end
# runs of the installer on a private Xvfb display).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then bash scripts/bootstrap.sh; fi

# The Windows tiers run the 32-bit build under 32-bit Wine, or the 64-bit build where the
# kernel cannot start 32-bit programs; the 32-bit installer is built either way.
wine_preset=win
[ "$(tests/wine/wine-arch.sh)" = win64 ] && wine_preset=win64

cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset win >/dev/null
cmake --build --preset win
if [ "$wine_preset" = win64 ]; then
  echo "test: this kernel cannot start 32-bit programs; Wine tests run the 64-bit build"
  cmake --preset win64 >/dev/null
  cmake --build --preset win64
fi

ctest --preset native --parallel "$(nproc)"
ctest --preset "$wine_preset"
