#!/usr/bin/env bash
# Frames per second of the running demo at 800 × 600 on OpenGL, in a private Xvfb display (on a
# machine without a graphics card that is Mesa's llvmpipe, drawing on the processor).
# Starts the demo from its run directory, answers the renderer question with Yes, lets it run,
# and counts the frames it reports (BRINDLE_FRAME_REPORT) in each second of its own clock.
# Prints each second's count and their mean; the first 1.5 s (start-up) are skipped.
#
# Usage: bench/run_demo_fps.sh [demo dir (default build/demo)] [seconds (default 10)] [second]
#   "second" measures with the second character shown (M) instead of the first.
here=$(cd "$(dirname "$0")" && pwd)
demo=${1:-$here/../build/demo}
seconds=${2:-10}
model=${3:-first}
[ -x "$demo/brindle" ] || { echo "no demo in $demo (build the brindle and demo_data targets)" >&2; exit 1; }

artifacts=$(mktemp -d)
source "$here/../tests/e2e/lib.sh" "$demo" "$artifacts"
E2E_NAME=run_demo_fps

e2e_start_opengl
if [ "$model" = second ]; then
    e2e_press m 'model == 2'
fi
e2e_until "time >= $(awk -v s="$seconds" 'BEGIN {print s + 1.5}')" $((seconds * 3 + 30))
cp "$E2E_WORK/frames.log" "$artifacts/frames.log"
e2e_quit_with_escape

awk -v first=1.5 -v n="$seconds" '$1 == "frame" && NF == 20 && $4 >= first && $4 < first + n {
        count[int($4 - first)]++ }
    END {
        for (i = 0; i < n; ++i) { printf "%s%d", i ? " " : "", count[i]; sum += count[i]; if (i == 0 || count[i] < lo) lo = count[i]; if (count[i] > hi) hi = count[i] }
        printf "\nmean %.0f fps (%.2f ms per frame), min %d, max %d, %d seconds\n", sum / n, 1000 * n / sum, lo, hi, n
    }' "$artifacts/frames.log" | sed "1s/^/frames per second (${model} character, 800x600): /"
rm -rf "$artifacts"
