#!/usr/bin/env bash
# The Windows program on a Windows without the DirectX 9 runtime (under Wine with its d3dx9_43.dll
# switched off): it starts, and answering No says in a box that Direct3D needs d3dx9_43.dll and
# draws with OpenGL instead.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

export WINEDLLOVERRIDES="d3dx9_43="
e2e_start_xvfb
e2e_start_demo
e2e_answer_renderer no
question=$BOX
e2e_dismiss_box "Default Renderer" "$question"
grep -q "Direct3D needs d3dx9_43.dll.*; using OpenGL\." "$E2E_WORK/brindle.log" ||
    e2e_fail "no word of the missing d3dx9_43.dll: $(cat "$E2E_WORK/brindle.log")"
e2e_find_window
e2e_wait_title '^Tamsk - Brindler: OpenGL$'
e2e_until 'frame >= 3' "${E2E_SLOW_TIMEOUT:-10}"

e2e_shot scene
e2e_expect_environment "$SHOT"
read -r n x y <<<"$(e2e_blob "$SHOT" "$CHARACTER")"
e2e_expect "$n" -gt 300 "the character is drawn (pixels scaled by 1/4)"
e2e_quit_with_escape
e2e_log passed
