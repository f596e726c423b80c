#!/usr/bin/env bash
# Fuzzes the program's file readers with libFuzzer (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) in a build folder of its own, build-fuzz/.
#   scripts/fuzz.sh TARGET SECONDS     TARGET: mesh bmp tga glyph arb effect convert, or all
# Each target starts from the seeds written at build time and from what earlier runs found
# interesting (build-fuzz/corpus/TARGET/), with the dictionary of its format's tags. A crash,
# a leak or undefined behaviour stops the run with status 1 and leaves the input as
# build-fuzz/findings/TARGET-*. At the end of each target it prints the executions and the
# coverage of the reader's own source file (edges reached of its functions').
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/fuzz-targets.sh
fuzz_select "scripts/fuzz.sh TARGET SECONDS" "${1:-}"
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
build=build-fuzz
fuzz_build "$build"

status=0
for t in "${selected[@]}"; do
  file=$(basename "${fuzz_reader[$t]}")
  corpus=$build/corpus/$t
  mkdir -p "$corpus" "$build/findings"
  dict=()
  [ -f "tests/fuzz/$t.dict" ] && dict=(-dict="tests/fuzz/$t.dict")
  log=$build/fuzz-$t.log
  echo "fuzzing $t for $seconds s"
  if ! "$build/tests/fuzz/fuzz_$t" "$corpus" "$build/tests/fuzz/seeds/$t" "${dict[@]}" \
      -max_total_time="$seconds" -print_final_stats=1 -print_coverage=1 \
      -artifact_prefix="$build/findings/$t-" >"$log" 2>&1; then
    echo "FINDING in $t: see $log and $build/findings/" >&2
    grep -E "ERROR|SUMMARY|runtime error" "$log" | head -5 >&2
    status=1
    continue
  fi
  runs=$(awk '/stat::number_of_executed_units/ {print $2}' "$log")
  # Edges reached over all edges of the functions defined in the reader's source file.
  read -r hit all < <(grep -E "^(UN)?COVERED_FUNC" "$log" | grep "/$file:" |
    awk '/^COVERED_FUNC/ { split($5, e, "/"); h += e[1]; a += e[2] }
         /^UNCOVERED_FUNC/ { u++ } END { print h + 0, a + 0 }')
  uncovered=$(grep -E "^UNCOVERED_FUNC" "$log" | grep -c "/$file:" || true)
  echo "  $t: $runs executions, $file: $hit of $all edges in the functions reached," \
       "$uncovered functions not reached, corpus $(ls "$corpus" | wc -l) inputs"
done
exit $status
