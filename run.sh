#!/usr/bin/env bash
# Builds the demo if needed and starts it from build/demo/, where all its data lives.
# Usage: ./run.sh [path/to/model.MSH]
#        ./run.sh path/to/model.glb      (any format convert.sh reads: converted into
#                                         build/converted/ first, then shown)
#        ./run.sh --capture out.png [...] (a picture, without a desktop; ./run.sh --help)
set -euo pipefail
caller=$(pwd)
cd "$(dirname "$0")"
root=$(pwd)

headless=false
for a in "$@"; do
  [[ "$a" == --capture || "$a" == --help ]] && headless=true
done
if ! $headless && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "brindle is a desktop program and no display is set (DISPLAY is empty)." >&2
  echo "Start it from a desktop session. It first asks in a dialog which renderer to use, so" >&2
  echo "a virtual X server without a screen you can see is no use. On a machine without a" >&2
  echo "desktop it draws a picture instead:" >&2
  echo "  ./run.sh --capture out.png [--renderer opengl|direct3d] [--frames N] [--model FILE]" >&2
  exit 1
fi

source ./scripts/deps.sh
rv_ensure_packages run
# A build folder configured by ./test.sh keeps its tests; a new one builds the demo alone.
if [ ! -f build/CMakeCache.txt ]; then
  cmake --preset demo > /dev/null
fi
cmake --build build -j"$(nproc)" --target brindle demo_data demo_text_data

# A model in another format than the demo's is converted first, into build/converted/.
model=${1:-}
[[ -n "$model" && "$model" != /* ]] && model=$caller/$model
if [ -f "$model" ] && [[ ! "$model" =~ \.[mM][sS][hH]$ ]]; then
  name=$(basename "${model%.*}")
  mkdir -p build/converted
  echo "Converting $1 into build/converted/$name.MSH"
  ./convert.sh "$model" "$root/build/converted/$name.MSH" || {
    echo "$1 could not be converted (see above); ./convert.sh --help lists the options." >&2
    exit 1
  }
  set -- "$root/build/converted/$name.MSH" "${@:2}"
fi

# A model named on the command line is opened from the run directory; make a relative path
# given from the caller's directory still point at the same file.
# The picture --capture writes is the caller's too.
args=()
after_capture=false
for a in "$@"; do
  if [[ "$a" != /* ]] && { $after_capture || [ -e "$caller/$a" ]; }; then
    args+=("$caller/$a")
  else
    args+=("$a")
  fi
  after_capture=false
  [ "$a" = --capture ] && after_capture=true
done
cd build/demo
exec ./brindle "${args[@]+"${args[@]}"}"
