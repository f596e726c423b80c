#!/usr/bin/env bash
# Builds the demo if needed and starts it from build/demo/, where all its data lives.
# Usage: ./run.sh [path/to/model.MSH]
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "brindle needs a graphical display, and none is set (DISPLAY is empty)." >&2
  echo "Run it from a desktop session, or under a virtual X server:" >&2
  echo "  xvfb-run -s '-screen 0 1024x768x24' ./run.sh" >&2
  exit 1
fi

source ./scripts/deps.sh
rv_ensure_packages
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target brindle demo_data demo_text_data

# A model named on the command line is opened from the run directory; make a relative path
# given from here still point at the same file.
args=()
for a in "$@"; do
  if [ -e "$a" ] && [[ "$a" != /* ]]; then
    args+=("$root/$a")
  else
    args+=("$a")
  fi
done
cd build/demo
exec ./brindle "${args[@]+"${args[@]}"}"
