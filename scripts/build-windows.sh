#!/usr/bin/env bash
# Cross-builds the Windows program with MinGW-w64 and packs it with its whole run directory into
# build/windows/brindle-windows.zip (one folder "brindle": brindle.exe, the generated meshes,
# textures, images and font, the shaders and README.md). The data is made first by the native
# generators in build/.
# Usage: scripts/build-windows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source ./scripts/deps.sh
rv_ensure_packages windows

# A build folder configured by ./test.sh keeps its tests; a new one builds the data alone.
if [ ! -f build/CMakeCache.txt ]; then
  cmake --preset windows > /dev/null
else
  cmake -S . -B build -DRV_BUILD_WINDOWS=ON > /dev/null
fi
cmake --build build -j"$(nproc)" --target windows
zip=build/windows/brindle-windows.zip
echo "Made $zip ($(du -k "$zip" | cut -f1) KiB)"
