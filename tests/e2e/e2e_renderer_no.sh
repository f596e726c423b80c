#!/usr/bin/env bash
# Answering No to the renderer question chooses Direct3D at once: the title says DirectX, no
# second message box follows, and the scene is drawn (blue sky, grey floor, the character and
# both help lines).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

e2e_start_xvfb
e2e_start_demo
e2e_answer_renderer no
e2e_find_window
e2e_wait_title '^Tamsk - Brindler: DirectX$'
# The frames are drawn with no other box open and no word of a missing back end.
e2e_until 'frame >= 3'
if xwininfo -root -tree | grep -q '"Default Renderer":'; then
    e2e_fail "a second \"Default Renderer\" box is open"
fi
if grep -q "not in this build" "$E2E_WORK/brindle.log"; then
    e2e_fail "the program says a back end is missing: $(cat "$E2E_WORK/brindle.log")"
fi

e2e_shot scene
e2e_expect_environment "$SHOT"
read -r n x y <<<"$(e2e_blob "$SHOT" "$CHARACTER")"
e2e_expect "$n" -gt 300 "the scene is drawn: character pixels"
e2e_expect "$(e2e_count "$SHOT" "$TOP_LINE" "$RED")" -gt 100 "the red help line"
e2e_expect "$(e2e_count "$SHOT" "$SECOND_LINE" "$GREEN")" -gt 100 "the green help line"
e2e_quit_with_escape
e2e_log passed
