#!/usr/bin/env bash
# The toggles: C releases the light (the help line turns blue) and attaches it again, M shows
# the other character and then the first again, Q draws the scene as lines and then solid
# (the help text too on OpenGL; on Direct3D it stays solid).
# Each key is held until the frame report shows its effect (these keys fire at most once per
# 0.5 s, and not at all in the first 0.5 s).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

e2e_start

e2e_press c 'light == "orbit"'
e2e_shot released
e2e_expect "$(e2e_count "$SHOT" "$TOP_LINE" "$BLUE")" -gt 100 \
    "blue line \"Press 'C' to attach the light to the camera.\""
e2e_expect "$(e2e_count "$SHOT" "$TOP_LINE" "$RED")" -lt 5 "no red line once the light is released"
e2e_expect "$(e2e_count "$SHOT" "$SECOND_LINE" "$GREEN")" -gt 100 "the green line stays"
e2e_press c 'light == "camera"'
e2e_shot attached
solid_text=$(e2e_count "$SHOT" "$TOP_LINE" "$RED")
e2e_expect "$solid_text" -gt 100 "red line again after a second C"

# The first character's head fills the bottom of the picture; the second stands whole, higher
# up and further left.
read -r n1 x1 y1 <<<"$(e2e_blob "$SHOT" "$CHARACTER")"
e2e_press m 'model == 2'
e2e_shot second-model
read -r n2 x2 y2 <<<"$(e2e_blob "$SHOT" "$CHARACTER")"
e2e_log "first model: $n1 px at ($x1, $y1); second: $n2 px at ($x2, $y2)"
e2e_expect "$n2" -gt 100 "second character pixels"
e2e_expect "$((y1 - y2))" -gt 80 "the second character stands higher in the picture"
e2e_expect "$(e2e_count "$SHOT" 100x60+215+340 "$RED")" -gt 300 "the second character's red jacket"
e2e_press m 'model == 1'
e2e_shot first-again
read -r n3 x3 y3 <<<"$(e2e_blob "$SHOT" "$CHARACTER")"
e2e_expect "$((y3 > y1 ? y3 - y1 : y1 - y3))" -lt 30 "two switches show the first character again"

e2e_press q 'wireframe == 1'
e2e_shot wireframe
read -r r g b <<<"$(e2e_mean "$SHOT" "$SKY_REGION")"
e2e_expect "$((r + g + b))" -lt 30 "in wireframe the sky is black between its edges"
e2e_expect "$(e2e_count "$SHOT" "$CHARACTER_REGION" "$LIT")" -gt 500 "the character is drawn as lines"
# OpenGL draws the help text with the scene, so in lines as well; Direct3D draws it after the
# character, back in solid fill.
wire_text=$(e2e_count "$SHOT" "$TOP_LINE" "$RED")
if [ "$E2E_BACKEND" = direct3d ]; then
    e2e_expect "$wire_text" -gt $((solid_text * 9 / 10)) "the help text stays solid in wireframe"
else
    e2e_expect "$wire_text" -lt $((solid_text / 2)) "the help text is drawn in lines in wireframe"
    e2e_expect "$wire_text" -gt 10 "the help text is still drawn in wireframe"
fi
e2e_press q 'wireframe == 0'
e2e_shot solid
read -r r g b <<<"$(e2e_mean "$SHOT" "$SKY_REGION")"
e2e_expect "$b" -gt 150 "solid again after a second Q"

e2e_quit_with_escape
e2e_log passed
