#!/usr/bin/env bash
# Builds everything (engine, tools, generated data, demo, tests, benchmarks, and the Windows
# program with its tests, cross-built into <build>/windows) and runs the whole test suite, the
# Windows program's tests under Wine. The tests that need a display (label gl) get a private
# Xvfb server.
# Usage: ./test.sh [build-dir]   (default: build; the configuration is CMakePresets.json's
#        "default", or the one RV_PRESET names: CI uses "ci", which makes warnings errors)
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts/deps.sh
rv_ensure_packages test

build=${1:-build}
cmake --preset "${RV_PRESET:-default}" -B "$build"
cmake --build "$build" -j"$(nproc)"
./scripts/with-xvfb.sh ctest --test-dir "$build" --output-on-failure --no-tests=error -j"$(nproc)"
