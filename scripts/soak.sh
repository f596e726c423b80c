#!/usr/bin/env bash
# Soak test: runs the demo in a private Xvfb for a while, drives it with a repeating mix of
# every key and mouse movement it knows (flying, turning, the light, the other character,
# wireframe, full screen on and off, the frame rate in the title), samples its resident memory
# (VmRSS) every few seconds and reports, after a warm-up, the typical growth (the median of the
# growth rates between consecutive samples) and the trend (a least-squares line). It fails when
# the typical growth is above a threshold, when a key has no effect, or when Escape does not end
# the demo with status 0. A leak grows the memory between almost every two samples; caches that
# fill (Mesa's shader variants and pools) grow it in a few steps, even after many minutes, which
# move the trend of a short run but not the median.
#
# Usage: scripts/soak.sh DEMO_DIR SECONDS BACKEND [REPORT]
#   DEMO_DIR  the demo's run directory (<build>/demo)
#   SECONDS   how long to drive it (at least 40: the warm-up plus enough samples), or 0 for
#             one round of the mix and no samples: the short session of the leak check in a
#             sanitizer build (scripts/lsan.supp), where Escape must end the demo with status 0
#   BACKEND   opengl or direct3d
#   REPORT    a file that gets the samples and the summary as well (optional)
# From the environment:
#   SOAK_MAX_GROWTH  allowed typical growth in KiB per minute (default 1024, see
#                    soak_max_growth)
#   SOAK_INTERVAL    seconds between samples (default SECONDS / 180, within 2…10); a sample
#                    is taken between two rounds of the mix (about 5 s each) once it is due
#   SOAK_WARMUP      seconds at the start left out of the figures (default 20)
#   SOAK_ARTIFACTS   where a failed run keeps the demo's output (default
#                    ${TMPDIR:-/tmp}/brindle-soak-artifacts)
# The helpers come from the whole-program tests (tests/e2e/lib.sh): the display, the renderer
# question, the window, keys held until the frame report shows their effect.

set -u

SOAK_ROOT=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -lt 3 ]; then
    sed -n 's/^# \{0,1\}//; 9,22p' "$0" >&2
    exit 2
fi
SOAK_SECONDS=$2
SOAK_REPORT=${4:-}
case $SOAK_SECONDS in
'' | *[!0-9]*)
    echo "SECONDS is \"$SOAK_SECONDS\", expected a whole number" >&2
    exit 2
    ;;
esac
SOAK_WARMUP=${SOAK_WARMUP:-20}
if [ "$SOAK_SECONDS" -ne 0 ] && [ "$SOAK_SECONDS" -lt $((SOAK_WARMUP + 20)) ]; then
    echo "SECONDS must be at least $((SOAK_WARMUP + 20)): a warm-up of $SOAK_WARMUP s and 20 s to measure" >&2
    exit 2
fi
SOAK_INTERVAL=${SOAK_INTERVAL:-$((SOAK_SECONDS / 180))}
[ "$SOAK_INTERVAL" -lt 2 ] && SOAK_INTERVAL=2
[ "$SOAK_INTERVAL" -gt 10 ] && SOAK_INTERVAL=10

# The noise on llvmpipe: the resident memory settles in steps of 100 KiB to 3 MiB (the
# allocator's free lists, Mesa's buffer pools and shader variants) as the window changes size
# and the wireframe and full-screen paths are taken, on Direct3D still after 25 minutes; the
# trend of a one-minute Direct3D run reached 7 MiB/min, of a thirty-minute one 103 KiB/min,
# while the typical growth stayed 0 on both back ends. A mesh or texture lost on every
# character switch or full-screen change costs megabytes per minute at the rate this script
# presses those keys (once or twice a round), and a few bytes lost per frame at a hundred frames
# per second or more cost tens of megabytes; 1 MiB per minute lies between.
soak_max_growth=${SOAK_MAX_GROWTH:-1024}

export E2E_BACKEND=$3
export E2E_TEST=${E2E_TEST:-soak_$3}
source "$SOAK_ROOT/tests/e2e/lib.sh" "$1" "${SOAK_ARTIFACTS:-${TMPDIR:-/tmp}/brindle-soak-artifacts}"

SOAK_SAMPLES=$E2E_WORK/samples
SOAK_START=0
SOAK_NEXT_SAMPLE=0

# Seconds since the demo was started, in milliseconds' precision.
soak_elapsed() {
    awk -v start="$SOAK_START" -v now="$(date +%s.%N)" 'BEGIN {printf "%.3f\n", now - start}'
}

# Appends "seconds KiB" (the demo's VmRSS now) to the samples.
soak_sample() {
    local rss
    rss=$(awk '$1 == "VmRSS:" {print $2}' "/proc/$E2E_APP_PID/status" 2>/dev/null)
    [ -n "$rss" ] || e2e_fail "no VmRSS for the demo (process $E2E_APP_PID)"
    echo "$(soak_elapsed) $rss" >>"$SOAK_SAMPLES"
}

# Takes a sample when one is due (called between rounds) and empties the frame report, which would otherwise grow by
# tens of megabytes in a long run (the demo appends to it; only its last lines are read).
soak_tick() {
    local now
    now=$(soak_elapsed)
    if awk -v now="$now" -v due="$SOAK_NEXT_SAMPLE" 'BEGIN {exit !(now >= due)}'; then
        soak_sample
        SOAK_NEXT_SAMPLE=$(awk -v now="$now" -v step="$SOAK_INTERVAL" 'BEGIN {print now + step}')
        : >"$E2E_WORK/frames.log"
        e2e_wait_frames 1
    fi
}

# Prints the fields $1 (a cut -f list) of the last frame line.
soak_fields() {
    e2e_frame_line | cut -d' ' -f"$1"
}

# Holds the key $1 for $2 seconds of the demo's clock and checks that the camera moved.
soak_fly() {
    local before
    before=$(soak_fields 6-8)
    e2e_focus
    xdotool keydown "$1"
    e2e_wait_time "$2"
    xdotool keyup "$1"
    e2e_wait_frames 2
    [ "$(soak_fields 6-8)" != "$before" ] || e2e_fail "holding $1 did not move the camera ($before)"
}

# Moves the mouse ($1, $2) pixels from the window's centre until the view has turned.
soak_look() {
    local before
    before=$(soak_fields 10-12)
    e2e_move_mouse "$1" "$2" "(lx \" \" ly \" \" lz) != \"$before\""
}

# Flies forward and back, left and right, up and down, and looks right, up and back again:
# the camera ends close to where it started.
soak_fly_around() {
    soak_fly w 0.3
    soak_fly s 0.3
    soak_fly a 0.2
    soak_fly d 0.2
    soak_fly Prior 0.1
    soak_fly Next 0.1
    soak_look 40 0
    soak_look 0 -30
    soak_look 0 30
    soak_look -40 0
}

# Holds F until the title shows the frame rate.
soak_fps_title() {
    e2e_focus
    xdotool keydown f
    e2e_wait_title '^FPS= [0-9]+$'
    xdotool keyup f
    e2e_wait_frames 2
}

# One round of the mix, as a list of steps: every toggle is made, the camera flies around
# with all of them on, and they are undone in another order. A round starts and ends in the
# same state (windowed, first character, solid, light on the camera), where the samples are
# taken: the full-screen back buffer alone is worth a megabyte or more of resident memory, and
# samples taken in either state at random would hide a slow growth under that noise.
SOAK_STEPS=(
    "e2e_press c light==\"orbit\""
    "e2e_press m model==2"
    "e2e_press q wireframe==1"
    "e2e_press alt+Return fullscreen==1"
    soak_fly_around
    soak_fps_title
    "e2e_press m model==1"
    "e2e_press q wireframe==0"
    "e2e_press c light==\"camera\""
    "e2e_press alt+Return fullscreen==0"
)

# Prints the samples and the summary: their count, the first and last, the least-squares slope
# of those after the warm-up ("trend N KiB/min") and the median of the rates between them (the
# last line, "growth N KiB/min"), both in KiB per minute.
soak_summary() {
    awk -v warmup="$SOAK_WARMUP" '
        { printf "sample %8.1f s %8d KiB\n", $1, $2; n++
          if (n == 1) first = $2; last = $2
          if ($1 >= warmup) {
              if (m > 0 && $1 > pt) rates[++r] = 60 * ($2 - pk) / ($1 - pt)
              m++; sx += $1; sy += $2; sxx += $1 * $1; sxy += $1 * $2; pt = $1; pk = $2 } }
        END {
            printf "samples %d (%d after the %d s warm-up)\n", n, m, warmup
            printf "start %d KiB, end %d KiB\n", first, last
            if (m < 5 || m * sxx - sx * sx <= 0) { print "growth unknown"; exit }
            printf "trend %.1f KiB/min\n", 60 * (m * sxy - sx * sy) / (m * sxx - sx * sx)
            for (i = 2; i <= r; i++)   # insertion sort: a few hundred rates at most
                for (j = i; j > 1 && rates[j - 1] > rates[j]; j--) {
                    t = rates[j]; rates[j] = rates[j - 1]; rates[j - 1] = t }
            median = r % 2 ? rates[(r + 1) / 2] : (rates[r / 2] + rates[r / 2 + 1]) / 2
            printf "growth %.1f KiB/min\n", median
        }' "$SOAK_SAMPLES"
}

e2e_start_xvfb
SOAK_START=$(date +%s.%N)
e2e_open ""
: >"$SOAK_SAMPLES"
e2e_log "driving the demo (process $E2E_APP_PID) for $SOAK_SECONDS s, a sample every $SOAK_INTERVAL s"
while :; do
    [ "$SOAK_SECONDS" -gt 0 ] && soak_tick
    for step in "${SOAK_STEPS[@]}"; do
        [ "${SOAK_TRACE:-0}" = 1 ] && e2e_log "$(soak_elapsed) s: $step"
        $step
        e2e_demo_running || e2e_fail "the demo ended during: $step"
    done
    awk -v now="$(soak_elapsed)" -v end="$SOAK_SECONDS" 'BEGIN {exit !(now >= end)}' && break
done
if [ "$SOAK_SECONDS" -eq 0 ]; then
    e2e_quit_with_escape
    e2e_log passed
    exit 0
fi
soak_sample
cp "$SOAK_SAMPLES" "$E2E_WORK/samples.log"
e2e_quit_with_escape

summary=$(soak_summary)
echo "$summary"
[ -n "$SOAK_REPORT" ] && { echo "backend $E2E_BACKEND, $SOAK_SECONDS s"; echo "$summary"; } >"$SOAK_REPORT"
growth=$(echo "$summary" | awk '$1 == "growth" {print $2}')
[ "$growth" != unknown ] || e2e_fail "too few samples after the warm-up to measure the growth"
awk -v g="$growth" -v max="$soak_max_growth" 'BEGIN {exit !(g <= max)}' ||
    e2e_fail "resident memory typically grows by $growth KiB/min, more than $soak_max_growth"
e2e_log "passed: typically $growth KiB/min (at most $soak_max_growth allowed)"
