#!/usr/bin/env bash
# Alt+Enter makes the window a borderless one covering the display (1024 × 768 here) and the
# scene fills it; Alt+Enter again restores the 800 × 600 window. Enter alone does nothing.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

# Prints "x y width height" of the main window.
geometry() {
    xwininfo -id "$E2E_WIN" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}'
}

e2e_start
read -r x y w h <<<"$(geometry)"
[ "$w $h" = "800 600" ] || e2e_fail "the window is ${w}x$h, expected 800x600"

# Enter alone, held for longer than its delay, changes nothing.
e2e_focus
xdotool keydown Return
e2e_wait_time 0.7
xdotool keyup Return
e2e_frame_is 'fullscreen == 0' || e2e_fail "Enter alone switched to full screen"

e2e_press alt+Return 'fullscreen == 1'
read -r x y w h <<<"$(geometry)"
[ "$x $y $w $h" = "0 0 1024 768" ] || e2e_fail "full screen is ${w}x$h at ($x, $y), expected 1024x768 at (0, 0)"
e2e_shot fullscreen
read -r r g b <<<"$(e2e_mean "$SHOT" 1000x100+12+40)"
e2e_expect "$b" -gt $((r + 30)) "the sky fills the top of the full-screen picture"
read -r r g b <<<"$(e2e_mean "$SHOT" 300x60+720+700)"
e2e_expect "$r" -gt 60 "the floor reaches the bottom-right corner of the display"

e2e_press alt+Return 'fullscreen == 0'
read -r x y w h <<<"$(geometry)"
[ "$w $h" = "800 600" ] || e2e_fail "after the second Alt+Enter the window is ${w}x$h, expected 800x600"
e2e_shot windowed
read -r r g b <<<"$(e2e_mean "$SHOT" "$SKY_REGION")"
e2e_expect "$b" -gt $((r + 30)) "the scene is drawn in the restored window"

e2e_quit_with_escape
e2e_log passed
