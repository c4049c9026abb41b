#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang and runs each for
# FUZZ_SECONDS (30) on its committed seed corpus plus what it finds; new inputs
# go to build/fuzz/found-*, never into the source tree. Fails on any crash,
# leak, timeout or memory blow-up, leaving the input in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-30}
build=build/fuzz

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "${FUZZ_JOBS:-2}"
mkdir -p "$build/artifacts"

for target in command_line render_options png core; do
  found="$build/found-$target"
  mkdir -p "$found"
  options=(-max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 -print_final_stats=1
           -artifact_prefix="$build/artifacts/$target-")
  [ -f "tests/fuzz/$target.dict" ] && options+=(-dict="tests/fuzz/$target.dict")
  log="$build/$target.log"
  if ! "$build/fuzz_$target" "${options[@]}" "$found" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz_$target: FAILED (log: $log)" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$target: $runs executions in ${seconds} s, no finding"
done
