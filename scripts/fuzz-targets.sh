# What scripts/fuzz.sh and scripts/fuzz-coverage.sh share: the targets, the reader's source file
# each one reports on, and the clang build of the targets. Sourced, not run.
#   fuzz_select USAGE TARGET        sets `selected` to the targets named (or all of them)
#   fuzz_build BUILD_DIR [FLAGS]    configures (every time, so that a target added since the
#                                   last run is known) and builds the selected targets

fuzz_targets=(mesh bmp tga glyph arb effect convert)
declare -A fuzz_reader=(
  [mesh]=rvrender/source/rvmeshfile.cpp [bmp]=rvrender/source/cimagebmp.cpp
  [tga]=rvrender/source/cimagetga.cpp [glyph]=rvrender/source/rvhudtextmanager.cpp
  [arb]=rvrender/source/rvfile.cpp [effect]=compat/d3d9/src/fxparser.cpp
  [convert]=tools/mshconvert/convert.cpp
)

fuzz_select() {
  local target=${2:?usage: $1 (TARGET: ${fuzz_targets[*]} or all)}
  if [ "$target" = all ]; then
    selected=("${fuzz_targets[@]}")
  elif [ -n "${fuzz_reader[$target]:-}" ]; then
    selected=("$target")
  else
    echo "unknown target $target (TARGET: ${fuzz_targets[*]} or all)" >&2
    exit 2
  fi
}

fuzz_build() {
  local flags=${2:-}
  cmake --preset fuzzing -B "$1" \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
  cmake --build "$1" -j"$(nproc)" --target "${selected[@]/#/fuzz_}" >/dev/null
}
