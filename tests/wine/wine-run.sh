#!/usr/bin/env bash
# Runs a Windows program under Wine in this test run's prefix (ctest's emulator).
set -euo pipefail
: "${LUMETRA_TEST_ROOT:?set by ctest}"
source "$(dirname "$0")/wine-env.sh" "$LUMETRA_TEST_ROOT"
exec wine "$@"
