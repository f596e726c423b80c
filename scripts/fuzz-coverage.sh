#!/usr/bin/env bash
# Line coverage of each file reader by what its fuzzer has found: replays the seeds and the
# corpus of scripts/fuzz.sh (build-fuzz/corpus/TARGET/) once in a build with clang's
# source-based coverage (build-fuzz-cov/) and prints, per target, the lines of the reader's own
# source file that ran: in the functions the target reaches, and in the whole file.
#   scripts/fuzz-coverage.sh TARGET     TARGET: mesh bmp tga glyph arb effect convert, or all
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/fuzz-targets.sh
fuzz_select "scripts/fuzz-coverage.sh TARGET" "${1:-}"
build=build-fuzz-cov
fuzz_build "$build" "-fprofile-instr-generate -fcoverage-mapping"

for t in "${selected[@]}"; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  rm -f "$build/$t.profraw"
  LLVM_PROFILE_FILE="$build/$t.profraw" "$build/tests/fuzz/fuzz_$t" -runs=0 \
    "$corpus" "$build/tests/fuzz/seeds/$t" >"$build/cov-$t.log" 2>&1 ||
    { echo "replaying $t failed: see $build/cov-$t.log" >&2; exit 1; }
  llvm-profdata-14 merge -sparse "$build/$t.profraw" -o "$build/$t.profdata"
  # Per function: name, regions (3 columns), lines, missed lines, cover, branches (3). The
  # functions the target reaches are those with a line run; the whole file includes writers and
  # the rest that no reader calls.
  llvm-cov-14 report "$build/tests/fuzz/fuzz_$t" -instr-profile="$build/$t.profdata" \
    -show-functions "${fuzz_reader[$t]}" | awk -v t="$t" -v f="${fuzz_reader[$t]}" -v n="$(ls "$corpus" | wc -l)" '
      NF == 10 && $1 != "TOTAL" && $5 ~ /^[0-9]+$/ { all += $5; run += $5 - $6; if ($5 > $6) { reached += $5; hit += $5 - $6 } }
      END { printf "  %s: %s, %d of %d lines in the functions reached (%.1f%%), %d of %d in the file, corpus %d inputs\n",
                   t, f, hit, reached, 100 * hit / reached, run, all, n }'
done
