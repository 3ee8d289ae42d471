#!/usr/bin/env bash
# The release preset stops at configure time without the publisher's key, before any
# compiler is looked for, and names what is missing.
set -uo pipefail
source_dir=${1:?source folder}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$source_dir"
output=$(cmake --preset release -B "$scratch/build" -DLUMETRA_RELEASE_KEY= 2>&1)
status=$?
if [ "$status" -eq 0 ]; then echo "FAILED: the release preset configured without a key"; exit 1; fi
grep -q "needs the publisher's public key" <<<"$output" ||
  { echo "FAILED: no word of the missing key: $output"; exit 1; }
echo "refused as expected: $(grep -m1 'needs the publisher' <<<"$output")"
