#!/usr/bin/env bash
# The Windows program under Wine, answered No: Direct3D 9 (Wine's) draws the environment and the
# help text. Wine 8's D3DX cannot compile effect text (it rejects initialisers, sampler_state
# and technique blocks), so the character's effect does not load there: the program must say so
# in its "FX Load Error" box and go on drawing. That the character itself is skinned and lit by
# the effect is checked on Linux only (e2e_scene_d3d); here it is drawn without its effect.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

E2E_START_BOX="FX Load Error"
e2e_start
grep -q "FX Load Error: " "$E2E_WORK/brindle.log" ||
    e2e_fail "the box's text was not written to standard error"
e2e_log "$(grep -m1 "FX Load Error: " "$E2E_WORK/brindle.log")"

e2e_shot scene
e2e_expect_environment "$SHOT"
e2e_expect "$(e2e_count "$SHOT" "$TOP_LINE" "$RED")" -gt 100 "red line \"Press 'C' to release the light.\""
e2e_expect "$(e2e_count "$SHOT" "$SECOND_LINE" "$GREEN")" -gt 100 "green line \"Press 'M' to switch models.\""

# Keys reach the Direct3D window too: W moves the camera forward.
e2e_press w 'cz < 8'
e2e_quit_with_escape
e2e_log passed
