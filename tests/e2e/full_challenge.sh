#!/usr/bin/env bash
# A whole challenge at a hundred times real speed, driven as a person would:
# the volume typed in, START clicked, every cue heard on time, the flash seen,
# the smiley and the finish box at the end, exit code 0.
source "$(dirname "$0")/../../testkit/harness.sh" full-challenge "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
e2e_launch "+0 x100"
e2e_shot load
[[ $(e2e_count_colour load.png "#000000" 209x33+48+232 25%) -gt 20 ]] ||
    e2e_fail "expected START in black at load, saw no black text on the button"

e2e_click 172 199
xdotool key End BackSpace BackSpace
sleep 0.2
e2e_shot emptied
[[ $(e2e_count_colour emptied.png "#000000" 209x33+48+232 25%) -eq 0 ]] ||
    e2e_fail "expected START greyed out with the box empty, saw black text on it"
xdotool type --delay 50 4x0
volume=$(e2e_volume_text)
[[ $volume == 40 ]] || e2e_fail "expected the box to read \"40\", saw \"$volume\""
e2e_shot typed

e2e_click_start
e2e_finish 120
e2e_expect_flash
e2e_expect_exit 10
sleep 0.5
e2e_stop_recorder
e2e_cues "$ART/app/slonk.wav" --count 99 --speed 100 --spacing 60 --tolerance 3
e2e_log "passed"
