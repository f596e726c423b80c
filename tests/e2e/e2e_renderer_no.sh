#!/usr/bin/env bash
# Answering No to the renderer question asks for Direct3D. This build has no Direct3D back end:
# the program says so in a second "Default Renderer" box, goes on with OpenGL, and its title
# names the back end that draws.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

e2e_start_xvfb
e2e_start_demo
e2e_answer_renderer no
e2e_find_window
# The answer is taken first (the question's box is gone by then), then the message is shown.
e2e_wait_title '^Tamsk - Brindler: DirectX$'
e2e_dismiss_box "Default Renderer"
e2e_wait_title '^Tamsk - Brindler: OpenGL$'
grep -q "Direct3D back end is not built" "$E2E_WORK/brindle.log" ||
    e2e_fail "the message about the missing Direct3D back end was not given"

e2e_until 'frame >= 3'
e2e_shot scene
read -r r g b <<<"$(e2e_mean "$SHOT" "$SKY_REGION")"
e2e_expect "$b" -gt $((r + 30)) "the scene is drawn: blue sky"
read -r n x y <<<"$(e2e_blob "$SHOT" "$CHARACTER")"
e2e_expect "$n" -gt 300 "the scene is drawn: character pixels"

e2e_quit_with_escape
e2e_log passed
