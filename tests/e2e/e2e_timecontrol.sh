#!/usr/bin/env bash
# The viewer's keys: Space pauses (the picture stands still) and resumes; '.' steps a key frame
# on to its start and ',' back; '+', '=' and keypad + double the speed up to 8, '-' and keypad -
# halve it down to 1/8; B colours the character by its bones and leaves the sky alone, and a
# second B gives the lit picture back; T shows the white cost lines under the help text.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/colours.sh"

# The field $1 of the last frame line (key = 22, fraction = 23).
field() { e2e_frame_line | cut -d' ' -f"$1"; }
WHITE='r>0.93&&g>0.93&&b>0.93'

e2e_start
e2e_until "time >= 0.6"

e2e_press space 'paused == 1'
key=$(field 22) fraction=$(field 23)
e2e_shot paused
e2e_wait_time 0.5
e2e_expect "$(field 22) $(field 23)" = "$key $fraction" "a paused character keeps its key frame and time"
first=$SHOT
e2e_shot still-paused
e2e_expect "$(e2e_diff "$first" "$SHOT" "$CHARACTER_REGION")" -lt 20 "the paused picture stands still"

e2e_press period "key != $key && fraction == 0"
e2e_press comma "key == $key && fraction == 0"
e2e_expect "$(field 25)" = 1 "stepping keeps the pause"
e2e_press space 'paused == 0'
e2e_until "key != $key" 5

e2e_press plus 'speed == 2'
e2e_press equal 'speed == 4'
e2e_press KP_Add 'speed == 8'
xdotool key --delay 50 plus plus
e2e_wait_time 0.5
e2e_expect "$(field 27)" = 8 "8 is the highest speed"
e2e_press minus 'speed == 4'
e2e_press KP_Subtract 'speed == 2'
for want in 1 0.5 0.25 0.125; do
    e2e_press minus "speed == $want"
done
xdotool key --delay 50 minus minus
e2e_wait_time 0.5
e2e_expect "$(field 27)" = 0.125 "1/8 is the lowest speed"

e2e_press space 'paused == 1'
e2e_shot lit
lit=$SHOT
e2e_press b 'rig == 1'
e2e_shot rig
e2e_expect "$(e2e_diff "$lit" "$SHOT" "$CHARACTER_REGION")" -gt 3000 "the rig view recolours the character"
e2e_expect "$(e2e_diff "$lit" "$SHOT" "$SKY_REGION")" -lt 20 "the rig view leaves the sky alone"
e2e_press b 'rig == 0'
e2e_shot lit-again
e2e_expect "$(e2e_diff "$lit" "$SHOT" "$CHARACTER_REGION")" -lt 20 "a second B gives the lit character back"

e2e_shot no-costs
without=$(e2e_count "$SHOT" "$BELOW_TEXT" "$WHITE")
e2e_press t 'stats == 1'
e2e_wait_time 1.2 # the lines are written once a second
e2e_shot costs
with=$(e2e_count "$SHOT" "$BELOW_TEXT" "$WHITE")
e2e_log "white pixels under the help text: $without without, $with with the cost lines"
e2e_expect "$with" -gt $((without + 150)) "T adds the white cost lines"
e2e_press t 'stats == 0'

e2e_quit_with_escape
e2e_log passed
