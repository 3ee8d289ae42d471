#!/usr/bin/env bash
# Builds everything and runs every test tier: native (sanitizers), then under Wine
# (unit tests against the real registry, files, processes and network, and end-to-end
# runs of the installer on a private Xvfb display).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -eq 0 ]; then bash scripts/bootstrap.sh; fi

cmake --preset native >/dev/null
cmake --build --preset native
cmake --preset win >/dev/null
cmake --build --preset win

ctest --preset native --parallel "$(nproc)"
ctest --preset win
