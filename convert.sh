#!/usr/bin/env bash
# Converts a rigged, animated model (glTF, FBX, COLLADA, DirectX .x, SMD, MD5, … anything the
# Open Asset Import Library reads) into a mesh file the demo shows:
#   ./convert.sh hero.glb hero.MSH [options]     (./convert.sh --help lists the options)
# then ./run.sh hero.MSH. Builds the converter first if needed.
set -euo pipefail
caller=$(pwd)
cd "$(dirname "$0")"
root=$(pwd)

source ./scripts/deps.sh
rv_ensure_packages run
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRV_BUILD_TESTS=OFF -DRV_BUILD_BENCH=OFF \
    > /dev/null
fi
cmake --build build -j"$(nproc)" --target mshconvert > /dev/null

# Relative paths are the caller's: the converter runs from here.
args=()
for a in "$@"; do
  if [[ "$a" != -* && "$a" != /* && ( -e "$a" || "$a" == *.[mM][sS][hH] ) ]]; then
    args+=("$caller/$a")
  else
    args+=("$a")
  fi
done
exec "$root/build/tools/mshconvert" "${args[@]+"${args[@]}"}"
