#!/usr/bin/env bash
# A character made by another tool, with more bones than the Direct3D effect holds: mico (71
# bones: zax's build with five three-joint fingers on each hand and a 20-joint tail), written as
# binary glTF by our character generator and converted with the converter's defaults. Named on
# the command line, it opens with no message box, stands on the floor where the first character
# stands, as tall as it, and animates.
# Seen from further back (S), where the whole figure is in the picture: the box around the
# character's colours in each picture gives its feet and its height.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

tools=$E2E_DEMO_DIR/../tools
"$tools/gencharacters" "$E2E_WORK/generated" --gltf "$E2E_WORK" >"$E2E_WORK/convert.log" ||
    e2e_fail "the character generator failed"
"$tools/mshconvert" "$E2E_WORK/mico.glb" "$E2E_WORK/mico.MSH" >>"$E2E_WORK/convert.log" 2>&1 ||
    e2e_fail "the converter failed: $(tail -1 "$E2E_WORK/convert.log")"
grep -q "71 bones" "$E2E_WORK/convert.log" || e2e_fail "the converted model has not 71 bones"

# Prints "bottom height" of the character's colours in the picture $1, in pixels.
figure() {
    convert "$1" -fx "($CHARACTER)?1:0" -threshold 50% -format '%@' info: |
        awk -F'[x+]' '{print $2 + $4, $2}'
}

e2e_start_xvfb
e2e_open ""
e2e_press s 'cz > 29.5'
e2e_shot ours
read -r oursBottom oursHeight <<<"$(figure "$SHOT")"
e2e_log "the first character: feet at row $oursBottom, $oursHeight pixels tall"
e2e_quit_with_escape

e2e_open "" "$E2E_WORK/mico.MSH"
if e2e_find_box "Model Error" 1 >/dev/null; then
    e2e_fail "a Model Error box opened"
fi
e2e_press s 'cz > 29.5'
e2e_shot model
first=$SHOT
read -r bottom height <<<"$(figure "$first")"
e2e_log "mico: feet at row $bottom, $height pixels tall"
e2e_expect "$(( bottom > oursBottom ? bottom - oursBottom : oursBottom - bottom ))" -le 6 \
    "mico's feet on the floor where the first character's are"
e2e_expect "$(( 100 * height / oursHeight ))" -ge 90 "mico at least 90 % of the first character's height"
e2e_expect "$(( 100 * height / oursHeight ))" -le 125 "mico at most 125 % of the first character's height (its tail included)"

e2e_wait_time 0.3
e2e_shot later
e2e_expect "$(e2e_diff "$first" "$SHOT")" -gt 200 "mico moves between two shots"
e2e_quit_with_escape
e2e_log passed
