#!/usr/bin/env bash
# A mesh file named on the command line replaces the first character: run with the second
# character's file, it stands grey at the first one's place. A file that cannot be read is
# reported in a "File IO Error" box and the program goes on without a character.
# The model (scale 0.1 at (−1, 0, 5), origin at its pelvis) is below the start camera's view,
# so the camera backs off with S and the scene is drawn as lines (Q) on black, where the
# character's dense mesh stands out from the floor's few edges.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

# Backs off, switches to lines and prints the number of lit pixels around the place where the
# first character stands.
lines_at_model() {
    e2e_press s 'cz > 19.5'
    e2e_press q 'wireframe == 1'
    e2e_shot "$1"
    e2e_count "$SHOT" 160x200+250+360 "$LIT"
}

# A copy in a folder whose name has a dot, under a lower-case extension: still a mesh file.
mkdir -p "$E2E_WORK/my.models"
cp "$E2E_DEMO_DIR/meshes/zaphod.MSH" "$E2E_WORK/my.models/hero.msh"
e2e_start "$E2E_WORK/my.models/hero.msh"
shown=$(lines_at_model given-model)
e2e_log "lit pixels at the model's place: $shown"
e2e_expect "$shown" -gt 800 "the command-line model is drawn"
e2e_quit_with_escape

# Again on the same display: the first run's windows are gone with it.
e2e_open "File IO Error" meshes/no-such-model.MSH
grep -q "no-such-model.MSH" "$E2E_WORK/brindle.log" || e2e_fail "the unreadable file was not named"
empty=$(lines_at_model missing-model)
e2e_log "lit pixels without a model: $empty"
e2e_expect "$empty" -lt $((shown / 4)) "no character is drawn for an unreadable file"
e2e_quit_with_escape
e2e_log passed
