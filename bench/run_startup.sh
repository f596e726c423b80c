#!/usr/bin/env bash
# Start-up time of the demo on both back ends: from the answer to the renderer question until
# the first frame has been drawn, as the program measures it ("startup <ms> ms" in its frame
# report), over several runs per back end in a private Xvfb display, alternating the back ends
# so that a busy moment of the machine falls on both. Prints every run (sorted) and each back
# end's median, lowest and highest.
#
# Usage: bench/run_startup.sh [demo dir (default build/demo)] [runs (default 5)]
set -u
here=$(cd "$(dirname "$0")" && pwd)
demo=${1:-$here/../build/demo}
runs=${2:-5}
[ -x "$demo/brindle" ] || { echo "no demo in $demo (build the brindle and demo_data targets)" >&2; exit 1; }

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# Starts the demo on back end $1, waits for its first frame and appends its start-up time in
# milliseconds to $results/$1.
measure() (
    E2E_BACKEND=$1
    source "$here/../tests/e2e/lib.sh" "$demo" "$results/artifacts"
    E2E_NAME=run_startup_$1
    e2e_start
    e2e_until "frame >= 1" 60
    awk '$1 == "startup" {print $2; exit}' "$E2E_WORK/frames.log" >>"$results/$1"
    e2e_quit_with_escape
)

for ((i = 1; i <= runs; ++i)); do
    for backend in opengl direct3d; do
        measure "$backend" >/dev/null || { echo "the run on $backend failed (see above)" >&2; exit 1; }
    done
done
for backend in opengl direct3d; do
    sort -n "$results/$backend" | awk -v name="$backend" '{ t[NR] = $1; all = all sprintf(" %.0f", $1) }
        END { printf "%s, start-up in ms:%s; median %.0f, lowest %.0f, highest %.0f (%d runs)\n",
                     name, all, NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2, t[1], t[NR], NR }'
done
