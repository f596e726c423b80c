#!/usr/bin/env bash
# The opening scene: the renderer question answered for the back end, its title, the sky above,
# the floor below, the animated character lit from the camera, both help lines in their colours,
# the frames-per-second title, and Escape ending the program with status 0.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

e2e_start

e2e_shot start
start=$SHOT
e2e_expect_environment "$start"

# The first character stands at (−1, 0, 5): from the start camera its head and shoulders fill
# the bottom of the picture, left of the centre.
read -r n x y <<<"$(e2e_blob "$start" "$CHARACTER")"
e2e_expect "$n" -gt 300 "character pixels (scaled by 1/4)"
e2e_expect "$x" -gt 200 "character centre x"
e2e_expect "$x" -lt 380 "character centre x"
e2e_expect "$y" -gt 420 "character centre y"

e2e_expect "$(e2e_count "$start" "$TOP_LINE" "$RED")" -gt 100 "red line \"Press 'C' to release the light.\""
e2e_expect "$(e2e_count "$start" "$TOP_LINE" "$BLUE")" -lt 5 "no blue line while the light is on the camera"
e2e_expect "$(e2e_count "$start" "$SECOND_LINE" "$GREEN")" -gt 100 "green line \"Press 'M' to switch models.\""
e2e_expect "$(e2e_count "$start" "$BELOW_TEXT" "$RED||$GREEN")" -lt 5 "no text below the two lines"

# The character animates (15 key frames per second); the sky does not move.
e2e_wait_time 0.3
e2e_shot later
e2e_expect "$(e2e_diff "$start" "$SHOT" "$CHARACTER_REGION")" -gt 50 "the character moves between two shots"
e2e_expect "$(e2e_diff "$start" "$SHOT" "$SKY_REGION")" -eq 0 "the sky stays still"

# F writes the count of the last full second into the title.
e2e_until 'time > 1.1'
e2e_focus
xdotool keydown f
e2e_wait_title '^FPS= [1-9][0-9]*$'
xdotool keyup f
e2e_log "$(e2e_title)"

e2e_quit_with_escape
e2e_log passed
