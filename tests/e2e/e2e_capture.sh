#!/usr/bin/env bash
# Pictures without a desktop: with DISPLAY unset, --capture on both renderers writes 800 × 600
# PNGs that agree as the same-picture test requires (every pixel within 16/255), and the
# capture at the start of a key frame equals the window's frame paused at that key frame.
# Wrong arguments, a model that cannot be read and an unwritable file end with status 1 and a
# message.
source "$(dirname "$0")/lib.sh"

capture() { # renderer, file, more options
    (cd "$E2E_DEMO_DIR" && env -u DISPLAY -u WAYLAND_DISPLAY BRINDLE_FRAME_REPORT=1 \
        ./brindle --capture "$2" --renderer "$1" "${@:3}") >"$E2E_WORK/capture-$1.log" 2>&1
}

for renderer in opengl direct3d; do
    capture $renderer "$E2E_WORK/$renderer.png" --frames 20 ||
        e2e_fail "--capture on $renderer failed: $(tail -3 "$E2E_WORK/capture-$renderer.log")"
    e2e_expect "$(identify -format '%wx%h' "$E2E_WORK/$renderer.png")" = 800x600 "the picture's size"
done
far=$(compare -metric AE -fuzz 6.3% "$E2E_WORK/opengl.png" "$E2E_WORK/direct3d.png" null: 2>&1)
e2e_expect "$far" = 0 "pixels of the two renderers' pictures further apart than 16/255"

# 20 frames of 1/60 s at 15 key frames per second end at the start of a key frame.
read -r key fraction <<<"$(awk '$1 == "frame" {k = $22; f = $23} END {print k, f}' \
    "$E2E_WORK/capture-$E2E_BACKEND.log")"
e2e_expect "$fraction" = 0.000 "the capture ends at the start of a key frame"
e2e_start
e2e_until "time >= 0.6"
e2e_press space 'paused == 1'
e2e_press period "key == $key && fraction == 0"
e2e_wait_frames 2
e2e_shot window
far=$(compare -metric AE -fuzz 6.3% "$SHOT" "$E2E_WORK/$E2E_BACKEND.png" null: 2>&1)
e2e_log "window and capture at key frame $key: $far pixels further apart than 16/255"
e2e_expect "$far" -lt 50 "the window's paused frame and the capture differ"
e2e_quit_with_escape

capture opengl /nonexistent-folder/x.png && e2e_fail "an unwritable file was reported written"
grep -q "could not be written" "$E2E_WORK/capture-opengl.log" || e2e_fail "no message for an unwritable file"
(cd "$E2E_DEMO_DIR" && env -u DISPLAY ./brindle --frames 3 >/dev/null 2>&1) &&
    e2e_fail "--frames without --capture was taken"
capture opengl "$E2E_WORK/none.png" --model "$E2E_WORK/missing.MSH" &&
    e2e_fail "a picture was reported for a model that cannot be read"
[ ! -e "$E2E_WORK/none.png" ] || e2e_fail "a picture was written for a model that cannot be read"
e2e_log passed
