#!/usr/bin/env bash
# Builds everything (engine, tools, generated data, demo) and runs the whole test suite with CTest.
# Usage: ./test.sh [build-dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
rv_ensure_packages

build=${1:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
