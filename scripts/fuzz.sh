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

targets=(mesh bmp tga glyph arb effect convert)
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS (TARGET: ${targets[*]} or all)}
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS}
if [ "$target" = all ]; then
  selected=("${targets[@]}")
else
  selected=("$target")
fi

# The source file whose coverage each target reports.
declare -A reader=(
  [mesh]=rvmeshfile.cpp [bmp]=cimage.cpp [tga]=cimage.cpp [glyph]=rvhudtextmanager.cpp
  [arb]=rvfile.cpp [effect]=fxparser.cpp [convert]=convert.cpp
)

build=build-fuzz
# Configured every time, so that a target added since the last run is known.
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRV_FUZZ=ON -DRV_BUILD_TESTS=OFF -DRV_BUILD_BENCH=OFF -DRV_BACKEND_D3D9=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${selected[@]/#/fuzz_}" >/dev/null

status=0
for t in "${selected[@]}"; do
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
  read -r hit all < <(grep -E "^(UN)?COVERED_FUNC" "$log" | grep "/${reader[$t]}:" |
    awk '/^COVERED_FUNC/ { split($5, e, "/"); h += e[1]; a += e[2] }
         /^UNCOVERED_FUNC/ { u++ } END { print h + 0, a + 0 }')
  uncovered=$(grep -E "^UNCOVERED_FUNC" "$log" | grep -c "/${reader[$t]}:" || true)
  echo "  $t: $runs executions, ${reader[$t]}: $hit of $all edges in the functions reached," \
       "$uncovered functions not reached, corpus $(ls "$corpus" | wc -l) inputs"
done
exit $status
