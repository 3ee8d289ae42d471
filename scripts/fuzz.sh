#!/usr/bin/env bash
# Fuzzes the platform-free readers (override file, command-line forms, Content-Range and
# header rules, version parse, licence-line layout, PNG reader) with libFuzzer under AddressSanitizer
# and UndefinedBehaviorSanitizer: builds the fuzz preset (clang) and runs each fuzzer for
# SECONDS (default 60). Not part of the test run.
#   scripts/fuzz.sh [SECONDS]
# Each fuzzer starts from tests/fuzz/seeds/NAME and keeps what it finds in
# build/fuzz/corpus/NAME; an input that breaks it is written to build/fuzz/crashes/ (make
# it a native test with the input in tests/fixtures/). Exit status 1 when any fuzzer failed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

mkdir -p build/fuzz/crashes
failed=()
for fuzzer in build/fuzz/fuzz/*_fuzz; do
  name=$(basename "$fuzzer")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  echo "== $name for $seconds s"
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
      -artifact_prefix="build/fuzz/crashes/$name-" "$corpus" "tests/fuzz/seeds/$name" \
      >"build/fuzz/$name.log" 2>&1; then
    failed+=("$name")
    tail -n 40 "build/fuzz/$name.log"
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added)|^#[0-9]+.*DONE' "build/fuzz/$name.log" || true
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "fuzz: failed: ${failed[*]} (inputs in build/fuzz/crashes/)" >&2
  exit 1
fi
echo "fuzz: no failure"
