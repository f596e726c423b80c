#!/usr/bin/env bash
# Frames per second of the running demo at 800 × 600 on OpenGL, in a private Xvfb display (on a
# machine without a graphics card that is Mesa's llvmpipe, drawing on the processor).
# Starts the demo from its run directory, answers the renderer question with Yes, lets it run,
# and presses F once a second: the title then shows the frames counted in the last full second.
# Prints each sample and their mean; the first seconds (start-up) are skipped.
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
    e2e_hold m 0.2
fi
sleep 1.5 # the first counted second includes start-up

samples=()
for _ in $(seq "$seconds"); do
    sleep 0.8
    e2e_hold f 0.2
    sleep 0.1
    fps=$(e2e_title | sed -n 's/^FPS= \([0-9]*\)$/\1/p')
    [ -n "$fps" ] && samples+=("$fps")
done
e2e_quit_with_escape
rm -rf "$artifacts"

[ ${#samples[@]} -gt 0 ] || { echo "no frames-per-second figure was read" >&2; exit 1; }
echo "frames per second (${model} character, 800x600, $(glxinfo -B 2>/dev/null | sed -n 's/.*OpenGL renderer string: //p' || true)): ${samples[*]}"
printf '%s\n' "${samples[@]}" | awk '{s += $1; if (NR == 1 || $1 < lo) lo = $1; if ($1 > hi) hi = $1}
    END {printf "mean %.0f fps (%.2f ms per frame), min %d, max %d, %d samples\n", s / NR, 1000 * NR / s, lo, hi, NR}'
