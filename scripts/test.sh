#!/usr/bin/env bash
# Builds everything and runs every test tier: native (sanitizers, and a read of the built
# installers' imports), then under Wine (unit tests against the real registry, files,
# processes and network, and end-to-end runs of the installer on a private Xvfb display).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then bash scripts/bootstrap.sh; fi

# The Windows tiers run the 32-bit build (the one we ship) under 32-bit Wine, or the 64-bit
# stand-in where this machine cannot; the 32-bit installer is built and read either way.
wine_preset=win
[ "$(tests/wine/wine-arch.sh)" = win64 ] && wine_preset=win64
wine_build=$(tests/wine/wine-arch.sh --describe)
echo "test: the Wine tiers run $wine_build"

cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset win >/dev/null
cmake --build --preset win
# The 64-bit build: whole where the Wine tiers run it, else its three installers, whose
# imports the native tier reads too.
cmake --preset win64 >/dev/null
if [ "$wine_preset" = win64 ]; then
  cmake --build --preset win64
else
  cmake --build --preset win64 --target LumetraSetup LumetraSetupDemo LumetraSetupNext
fi

native=passed wine=passed
ctest --preset native --parallel "$(nproc)" || native=FAILED
ctest --preset "$wine_preset" || wine=FAILED
echo "test: summary: native tier, with the shipped installers' imports (import-check): $native"
echo "test: summary: Wine tiers: $wine, on $wine_build"
[ "$native" = passed ] && [ "$wine" = passed ]
