#!/usr/bin/env bash
# Flying the camera, measured on the second character (whole in view, lit from the camera):
# W brings it closer and S takes it back, A and D move it across the picture, Page Up and Page
# Down move it down and up, and the mouse turns the view. Each key is held until the frame
# report shows the camera past a mark, then the picture is checked. The key is let go a frame
# or more after that (later on a busy machine), so the marks are close to the start and the
# checks allow for the camera stopping well beyond them.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

e2e_start
e2e_press m 'model == 2'

# Prints "count x y" of the character in a fresh screenshot named $1.
measure() {
    e2e_shot "$1"
    e2e_blob "$SHOT" "$CHARACTER"
}

read -r n0 x0 y0 <<<"$(measure start)"
e2e_log "start: $n0 px at ($x0, $y0)"
e2e_expect "$n0" -gt 100 "the second character is in view"

e2e_press w 'cz < 8.5'
read -r n x y <<<"$(measure forward)"
e2e_log "after W: $n px at ($x, $y)"
e2e_expect "$n" -gt $((n0 * 5 / 4)) "W brings the character closer"
e2e_press s 'cz > 9.8'
read -r n x y <<<"$(measure back)"
e2e_log "after S: $n px at ($x, $y), $(e2e_frame_line | cut -d' ' -f5-8)"
e2e_expect "$n" -gt $((n0 / 2)) "W then S returns close to the start"
e2e_expect "$n" -lt $((n0 * 2)) "W then S returns close to the start"

e2e_press a 'cx < -1.5'
read -r n x1 y <<<"$(measure left)"
e2e_expect "$x1" -gt $((x0 + 40)) "A (strafe left) moves the character right"
e2e_press d 'cx > 0.5'
read -r n x2 y <<<"$(measure right)"
e2e_expect "$x2" -lt $((x1 - 80)) "D (strafe right) moves the character left"
e2e_press a 'cx < 0.2'
read -r n x0 y0 <<<"$(measure centred)"

e2e_press Prior 'cy > 6'
read -r n x y1 <<<"$(measure up)"
e2e_expect "$y1" -gt $((y0 + 30)) "Page Up lifts the camera: the character moves down"
e2e_press Next 'cy < 5.2'
read -r n x y2 <<<"$(measure down)"
e2e_expect "$y2" -lt $((y1 - 30)) "Page Down lowers it again"

# The cursor is pinned to the centre every frame; a move of 40 pixels to the right turns the
# view 8 degrees to the right, so the character moves left.
read -r n xm0 y <<<"$(measure before-mouse)"
e2e_move_mouse 40 0 'lx > 0.1'
read -r n xm1 y <<<"$(measure mouse-right)"
e2e_expect "$xm1" -lt $((xm0 - 30)) "moving the mouse right turns the view right"
e2e_move_mouse 0 -40 'ly > 0.1'
read -r n x ym <<<"$(measure mouse-up)"
e2e_expect "$ym" -gt $((y + 30)) "moving the mouse up tilts the view up: the character moves down"

e2e_quit_with_escape
e2e_log passed
