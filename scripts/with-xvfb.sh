#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private Xvfb server (1024 × 768, 24 bits) that ends with
# it: the tests labelled gl need a display, and this one is the same on every machine.
# Usage: scripts/with-xvfb.sh <command> [arguments...]
set -euo pipefail
command -v Xvfb >/dev/null || { echo "Xvfb is missing (apt-get install xvfb)" >&2; exit 1; }

dir=$(mktemp -d "${TMPDIR:-/tmp}/brindle-xvfb.XXXXXX")
mkfifo "$dir/display"
# -displayfd: the server picks a free display and writes its number once it accepts clients.
# -noreset: it would otherwise reset whenever its last client leaves, refusing the next one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$dir/display" 2>"$dir/xvfb.log" &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
if ! read -r -t 20 number <"$dir/display"; then
  echo "Xvfb did not start:" >&2
  cat "$dir/xvfb.log" >&2
  exit 1
fi
DISPLAY=":$number" "$@"
