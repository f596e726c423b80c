# Shared helpers for the whole-program tests: a private Xvfb display, the demo started from its
# run directory, its message boxes answered, its window found, keys held, screenshots taken and
# their pixels measured. Sourced by the e2e_*.sh scripts, which CTest runs as
#   E2E_BACKEND=opengl|direct3d e2e_<name>.sh <demo dir> <artifact dir>
# once per back end: E2E_BACKEND (default opengl) says how the renderer question is answered
# (Yes: OpenGL, No: Direct3D) and which title the window must then have.
# The demo runs with BRINDLE_FRAME_REPORT=1 and writes one line per drawn frame (its number,
# its clock, the camera and the toggles); the helpers wait on those lines, never on the clock.
# Every helper that waits does so with a deadline; a failed check calls e2e_fail, which keeps the
# screenshots taken so far under the artifact directory and ends the script with status 1.

set -u

E2E_DEMO_DIR=$(cd "${1:?demo directory}" && pwd)
E2E_ARTIFACTS=${2:?artifact directory}
E2E_BACKEND=${E2E_BACKEND:-opengl}
case $E2E_BACKEND in
opengl)
    E2E_ANSWER=yes
    E2E_TITLE='^Tamsk - Brindler: OpenGL$'
    E2E_SUFFIX=""
    ;;
direct3d)
    E2E_ANSWER=no
    E2E_TITLE='^Tamsk - Brindler: DirectX$'
    E2E_SUFFIX=_d3d
    ;;
*)
    echo "E2E_BACKEND is \"$E2E_BACKEND\", expected opengl or direct3d" >&2
    exit 1
    ;;
esac
# The CTest test's name (E2E_TEST), so that the two back ends keep their screenshots apart.
E2E_NAME=${E2E_TEST:-$(basename "$0" .sh)$E2E_SUFFIX}
E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/${E2E_NAME}.XXXXXX")
E2E_XVFB_PID=""
E2E_APP_PID=""
E2E_WIN=""
SHOT=""
BOX=""

e2e_log() {
    echo "[$E2E_NAME] $*"
}

# Ends one process started here: politely, then (a program waiting in a message box does not
# answer SIGTERM) for certain.
e2e_stop() {
    local pid=$1 i
    kill -0 "$pid" 2>/dev/null || return 0
    kill "$pid" 2>/dev/null
    for i in $(seq 20); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
}

# Copies the screenshots and the program's output to the artifact directory (replacing those
# of an earlier run).
e2e_keep() {
    local dest="$E2E_ARTIFACTS/$E2E_NAME"
    rm -rf "$dest"
    mkdir -p "$dest"
    cp "$E2E_WORK"/*.png "$E2E_WORK"/*.log "$dest"/ 2>/dev/null
    echo "[$E2E_NAME] screenshots and output kept in $dest" >&2
}

# E2E_KEEP=1 in the environment keeps the screenshots of passing runs too.
e2e_cleanup() {
    [ "${E2E_KEEP:-0}" = 1 ] && e2e_keep
    [ -n "$E2E_APP_PID" ] && e2e_stop "$E2E_APP_PID"
    # Closing the display also ends a message box's helper process.
    [ -n "$E2E_XVFB_PID" ] && e2e_stop "$E2E_XVFB_PID"
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

# Keeps the screenshots and the program's output for the reader, then fails the test.
e2e_fail() {
    echo "[$E2E_NAME] FAILED: $*" >&2
    e2e_keep
    E2E_KEEP=0
    exit 1
}

# Starts Xvfb on the first free display from :90 on (1024 × 768, 24 bits) and waits until it
# accepts clients. -noreset: by default the server resets when its last client leaves, and a
# client connecting during the reset (the demo, right after the readiness probe) is refused.
e2e_start_xvfb() {
    local n
    for n in $(seq 90 190); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
            Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$E2E_WORK/xvfb.log" 2>&1 &
            E2E_XVFB_PID=$!
            export DISPLAY=":$n"
            local i
            for i in $(seq 50); do
                if xwininfo -root >/dev/null 2>&1; then
                    return 0
                fi
                if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
                    break # lost the race for this display: try the next
                fi
                sleep 0.1
            done
            kill "$E2E_XVFB_PID" 2>/dev/null
            wait "$E2E_XVFB_PID" 2>/dev/null
            E2E_XVFB_PID=""
        fi
    done
    e2e_fail "no free X display for Xvfb"
}

# Starts the demo from its run directory with the given arguments. It appends to the frame
# report, so that a long run (scripts/soak.sh) can empty the file while the demo writes on.
# E2E_PROGRAM is the command that starts it (default ./brindle; the Windows build's tests run
# "scripts/wine.sh brindle.exe").
e2e_start_demo() {
    : >"$E2E_WORK/frames.log"
    # shellcheck disable=SC2086 # E2E_PROGRAM is a command with its arguments
    (cd "$E2E_DEMO_DIR" && BRINDLE_FRAME_REPORT=1 exec ${E2E_PROGRAM:-./brindle} "$@") \
        >>"$E2E_WORK/frames.log" 2>"$E2E_WORK/brindle.log" &
    E2E_APP_PID=$!
    E2E_WIN=""
}

# The last complete frame line: "frame N time T camera X Y Z look X Y Z light camera|orbit
# model 1|2 wireframe 0|1 fullscreen 0|1 anim K F paused 0|1 speed S rig 0|1 stats 0|1".
# The Windows program's lines end in CR LF.
E2E_FRAME_FIELDS=31
e2e_frame_line() {
    tail -c 3000 "$E2E_WORK/frames.log" | tr -d '\r' |
        awk -v n=$E2E_FRAME_FIELDS 'NF == n && $1 == "frame" {last = $0} END {print last}'
}

# Whether the last frame satisfies the awk condition $1, written with the variables frame, time,
# cx, cy, cz (camera), lx, ly, lz (looking direction), light, model, wireframe, fullscreen,
# key (the character's key frame), fraction (towards the next), paused, speed, rig, stats.
e2e_frame_is() {
    e2e_frame_line | awk -v n=$E2E_FRAME_FIELDS '{frame = $2; time = $4; cx = $6; cy = $7
        cz = $8; lx = $10; ly = $11; lz = $12; light = $14; model = $16; wireframe = $18
        fullscreen = $20; key = $22; fraction = $23; paused = $25; speed = $27; rig = $29
        stats = $31
        exit !(NF == n && ('"$1"'))}'
}

# Waits until the last frame satisfies the condition $1 (deadline $2 s, default 10).
e2e_until() {
    local deadline=$((SECONDS + ${2:-10}))
    until e2e_frame_is "$1"; do
        e2e_demo_running || e2e_fail "the demo ended while waiting for: $1"
        [ $SECONDS -lt $deadline ] || e2e_fail "waited in vain for: $1 (last frame: $(e2e_frame_line))"
        sleep 0.02
    done
}

# Waits until the demo has drawn $1 more frames (default 2), so that a screenshot shows them.
e2e_wait_frames() {
    local now
    now=$(e2e_frame_line | awk '{print $2 + 0}')
    e2e_until "frame >= $((now + ${1:-2}))"
}

# Waits until $1 more seconds of the demo's own clock have passed.
e2e_wait_time() {
    local now
    now=$(e2e_frame_line | awk '{print $4 + 0}')
    e2e_until "time >= $now + $1"
}

# Moves the mouse ($1, $2) pixels away from the window's centre, where the demo puts it back
# every frame, until the last frame satisfies the condition $3, and waits for two more frames.
# The position is given absolutely: a relative move could start from where the pointer was
# before the demo's last warp had landed. A move made between the demo reading the pointer and
# putting it back is lost, so it is tried again a few times.
e2e_move_mouse() {
    local size try
    size=$(xdotool getwindowgeometry "$E2E_WIN" | awk '$1 == "Geometry:" {sub("x", " ", $2); print $2}')
    for try in 1 2 3 4 5; do
        e2e_focus
        xdotool mousemove --window "$E2E_WIN" $((${size% *} / 2 + $1)) $((${size#* } / 2 + $2))
        e2e_wait_frames 3
        if e2e_frame_is "$3"; then
            e2e_wait_frames 2
            return 0
        fi
    done
    e2e_fail "moving the mouse by ($1, $2) did not bring: $3 (last frame: $(e2e_frame_line))"
}

# Holds a key (an xdotool key name; "alt+Return" holds both) until the last frame satisfies
# the condition $2, lets go, and waits for two more frames.
e2e_press() {
    local keys=${1//+/ } k
    e2e_focus
    for k in $keys; do
        xdotool keydown "$k"
    done
    e2e_until "$2"
    for k in $(echo "$keys" | tr ' ' '\n' | tac); do
        xdotool keyup "$k"
    done
    e2e_wait_frames 2
}

# Prints the id of a viewable top-level window titled exactly $1 (message boxes are windows of
# their own, made by another process), other than the window $3 if given; fails after $2
# seconds (default 10).
e2e_find_box() {
    local caption=$1 deadline=$((SECONDS + ${2:-10})) not=${3:-none} id
    while [ $SECONDS -lt $deadline ]; do
        id=$(xwininfo -root -tree 2>/dev/null |
            awk -v c="\"$caption\":" -v not="$not" 'index($0, c) && $1 != not {print $1; exit}')
        if [ -n "$id" ] && xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
            echo "$id"
            return 0
        fi
        e2e_demo_running || return 1
        sleep 0.1
    done
    return 1
}

# Answers the renderer question: yes (the Return default) or no (the Escape default). BOX
# names the question's window afterwards.
e2e_answer_renderer() {
    BOX=$(e2e_find_box "Default Renderer" 10) || e2e_fail "the renderer question did not appear"
    if [ "$1" = yes ]; then
        xdotool key --window "$BOX" Return
    else
        xdotool key --window "$BOX" Escape
    fi
}

# Dismisses a message box titled $1 (other than the window $2, if given) with its default
# button; fails when none appears within 10 s.
e2e_dismiss_box() {
    BOX=$(e2e_find_box "$1" 10 "${2:-none}") || e2e_fail "no message box \"$1\" appeared"
    xdotool key --window "$BOX" Return
}

e2e_demo_running() {
    kill -0 "$E2E_APP_PID" 2>/dev/null
}

# Finds the demo's main window by its process (its title changes: "Tamsk - …" or "FPS= …";
# under Wine the process has helper windows too) and gives it the focus.
e2e_find_window() {
    local deadline=$((SECONDS + 10)) id
    while [ $SECONDS -lt $deadline ]; do
        E2E_WIN=""
        for id in $(xdotool search --pid "$E2E_APP_PID" 2>/dev/null); do
            if xdotool getwindowname "$id" 2>/dev/null | grep -Eq '^(Tamsk - |FPS= )'; then
                E2E_WIN=$id
                break
            fi
        done
        if [ -n "$E2E_WIN" ]; then
            e2e_focus
            return 0
        fi
        e2e_demo_running || e2e_fail "the demo ended before its window appeared"
        sleep 0.1
    done
    e2e_fail "the demo's window was not found"
}

e2e_focus() {
    xdotool windowfocus --sync "$E2E_WIN" 2>/dev/null
}

e2e_title() {
    xdotool getwindowname "$E2E_WIN" 2>/dev/null
}

# Waits until the title matches the extended regular expression $1 (deadline $2 s, default 5).
e2e_wait_title() {
    local deadline=$((SECONDS + ${2:-5}))
    while [ $SECONDS -lt $deadline ]; do
        if e2e_title | grep -Eq "$1"; then
            return 0
        fi
        sleep 0.1
    done
    e2e_fail "the title is \"$(e2e_title)\", expected /$1/"
}

# Starts the demo on the display already running, answers the renderer question for
# E2E_BACKEND, dismisses the message box titled $1 if not empty (one the program shows while it
# starts), and waits for the title naming the back end and for the first frames (for up to
# E2E_SLOW_TIMEOUT seconds, default 10: longer in a sanitizer build). The remaining arguments
# go to the demo.
e2e_open() {
    local box=$1
    shift
    e2e_start_demo "$@"
    e2e_answer_renderer "$E2E_ANSWER"
    [ -n "$box" ] && e2e_dismiss_box "$box"
    e2e_find_window
    e2e_wait_title "$E2E_TITLE"
    e2e_until 'frame >= 3' "${E2E_SLOW_TIMEOUT:-10}"
}

# Starts Xvfb and the demo on E2E_BACKEND and waits for the scene: the usual opening.
# E2E_START_BOX names a message box the program is expected to show while it starts (under
# Wine, Direct3D's "FX Load Error").
e2e_start() {
    e2e_start_xvfb
    e2e_open "${E2E_START_BOX:-}" "$@"
}

# Takes a screenshot of the main window into $E2E_WORK/$1.png; SHOT names the file. Quality 51
# (zlib level 5, the sub filter) is written in a twentieth of the time that ImageMagick's
# default (level 7, a filter chosen per row) takes, about half a second per picture here.
e2e_shot() {
    SHOT=$E2E_WORK/$1.png
    timeout 10 import -window "$E2E_WIN" -quality 51 "$SHOT" 2>/dev/null ||
        e2e_fail "no screenshot ($1)"
}

# Prints "r g b" (0…255) of the pixel at ($2, $3).
e2e_pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)] %[fx:int(255*p{$2,$3}.g+0.5)] %[fx:int(255*p{$2,$3}.b+0.5)]" info:
}

# Prints "r g b", the mean colour of the region WxH+X+Y ($2).
e2e_mean() {
    convert "$1" -crop "$2" +repage -scale '1x1!' \
        -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]' info:
}

# Prints how many pixels of the region WxH+X+Y ($2) satisfy the fx condition $3, written with
# r, g, b in 0…1 (for example 'r>0.7&&g<0.3&&b<0.3').
e2e_count() {
    convert "$1" -crop "$2" +repage -fx "($3)?1:0" -format '%[fx:int(mean.r*w*h+0.5)]' info:
}

# Prints "count x y": how many pixels of the whole picture satisfy the fx condition $2, and
# their centroid, measured on the picture scaled down by 4.
e2e_blob() {
    convert "$1" -sample 25% -fx "($2)?1:0" txt:- | awk -F'[,: ]+' '
        /#FFFFFF/ { n++; sx += $1; sy += $2 }
        END { if (n) printf "%d %d %d\n", n, 4 * sx / n, 4 * sy / n; else print "0 0 0" }'
}

# Prints the number of pixels that differ by more than 10% between two pictures (optionally
# only in the region WxH+X+Y given as $3).
e2e_diff() {
    local a=$1 b=$2
    if [ -n "${3:-}" ]; then
        convert "$1" -crop "$3" +repage "$E2E_WORK/diff-a.png"
        convert "$2" -crop "$3" +repage "$E2E_WORK/diff-b.png"
        a=$E2E_WORK/diff-a.png
        b=$E2E_WORK/diff-b.png
    fi
    compare -metric AE -fuzz 10% "$a" "$b" null: 2>&1 | awk '{print int($1)}'
}

# Checks the environment on the screenshot $1: a blue sky at the top, a grey, lit floor at the
# bottom (the regions of colours.sh).
e2e_expect_environment() {
    local r g b
    read -r r g b <<<"$(e2e_mean "$1" "$SKY_REGION")"
    e2e_expect "$b" -gt $((r + 30)) "the sky at the top is blue"
    read -r r g b <<<"$(e2e_mean "$1" "$FLOOR_REGION")"
    e2e_expect "$((r > b ? r - b : b - r))" -lt 20 "the floor at the bottom is grey"
    e2e_expect "$r" -gt 60 "the floor is lit"
}

# Checks an integer comparison and fails with a message naming the value: e2e_expect 5 -gt 3 msg
e2e_expect() {
    if ! [ "$1" "$2" "$3" ]; then
        e2e_fail "$4 (value $1, expected $2 $3)"
    fi
}

# Presses Escape in the main window and checks that the demo ends with status 0 in time.
e2e_quit_with_escape() {
    e2e_focus
    xdotool key Escape
    local deadline=$((SECONDS + ${E2E_SLOW_TIMEOUT:-10}))
    while e2e_demo_running && [ $SECONDS -lt $deadline ]; do
        sleep 0.1
    done
    e2e_demo_running && e2e_fail "the demo did not end after Escape"
    wait "$E2E_APP_PID"
    local status=$?
    E2E_APP_PID=""
    e2e_expect "$status" -eq 0 "exit status after Escape"
}
