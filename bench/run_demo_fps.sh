#!/usr/bin/env bash
# Frames per second of the running demo at 800 × 600 on both back ends, one after the other, in
# a private Xvfb display (on a machine without a graphics card that is Mesa's llvmpipe, drawing
# on the processor; the Direct3D back end draws through compat/d3d9 on the same OpenGL).
# Starts the demo from its run directory, answers the renderer question (Yes: OpenGL, No:
# Direct3D), lets it run, and counts the frames it reports (BRINDLE_FRAME_REPORT) in each second
# of its own clock. Prints each second's count and their mean for each back end, then the ratio
# of the means; the first 1.5 s (start-up) are skipped.
#
# Usage: bench/run_demo_fps.sh [demo dir (default build/demo)] [seconds (default 10)] [second]
#   "second" measures with the second character shown (M) instead of the first.
set -u
here=$(cd "$(dirname "$0")" && pwd)
demo=${1:-$here/../build/demo}
seconds=${2:-10}
model=${3:-first}
[ -x "$demo/brindle" ] || { echo "no demo in $demo (build the brindle and demo_data targets)" >&2; exit 1; }

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT

# Runs the demo on back end $1 (opengl or direct3d) and writes its frame lines to $results/$1.
record() (
    E2E_BACKEND=$1
    source "$here/../tests/e2e/lib.sh" "$demo" "$results/artifacts"
    E2E_NAME=run_demo_fps_$1
    e2e_start
    if [ "$model" = second ]; then
        e2e_press m 'model == 2'
    fi
    e2e_until "time >= $(awk -v s="$seconds" 'BEGIN {print s + 1.5}')" $((seconds * 3 + 30))
    cp "$E2E_WORK/frames.log" "$results/$1"
    e2e_quit_with_escape
)

# Prints the counts of each second and "mean <fps>" for the frame lines in $1.
summarise() {
    awk -v first=1.5 -v n="$seconds" '$1 == "frame" && NF == 31 && $4 >= first && $4 < first + n {
            count[int($4 - first)]++ }
        END {
            for (i = 0; i < n; ++i) { printf "%s%d", i ? " " : "", count[i]; sum += count[i]; if (i == 0 || count[i] < lo) lo = count[i]; if (count[i] > hi) hi = count[i] }
            printf "\nmean %.0f fps (%.2f ms per frame), min %d, max %d, %d seconds\n", sum / n, 1000 * n / sum, lo, hi, n
        }' "$1"
}

for backend in opengl direct3d; do
    record "$backend" || { echo "the run on $backend failed (see above)" >&2; exit 1; }
    summarise "$results/$backend" >"$results/$backend.txt"
    sed "1s/^/$backend, frames per second (${model} character, 800x600): /" "$results/$backend.txt"
done
gl=$(awk '/^mean/ {print $2}' "$results/opengl.txt")
d3d=$(awk '/^mean/ {print $2}' "$results/direct3d.txt")
awk -v gl="$gl" -v d3d="$d3d" 'BEGIN {
    printf "Direct3D / OpenGL: %d / %d fps = %.2f\n", d3d, gl, (gl > 0 ? d3d / gl : 0) }'
