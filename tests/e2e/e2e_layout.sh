#!/usr/bin/env bash
# Letters follow the keyboard layout: on a French (AZERTY) keyboard the key labelled M switches
# the models and the key labelled Q draws lines, while the key labelled A (where Q is on a US
# keyboard) strafes left and leaves the wireframe alone.
source "$(dirname "$0")/lib.sh"

e2e_start_xvfb
setxkbmap -display "$DISPLAY" fr || e2e_fail "setxkbmap could not set the French layout"
e2e_open ""

# xdotool types a key symbol with whatever key makes it in the current layout.
e2e_press m 'model == 2'
e2e_press a 'cx < -1'
e2e_frame_is 'wireframe == 0' || e2e_fail "the key labelled A toggled the wireframe"
e2e_press q 'wireframe == 1'

e2e_quit_with_escape
e2e_log passed
