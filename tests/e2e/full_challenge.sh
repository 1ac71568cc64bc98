#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A whole challenge at a hundred times real speed, driven as a person would:
# the volume typed in, START clicked, every cue heard on time, the flash seen,
# the finish box and the window read to the letter, the smiley shown, exit 0.
source "$(dirname "$0")/../../testkit/harness.sh" full-challenge "${1:?usage: $0 BUILD-FOLDER}"

start_shows() { # COLOUR-TEST: START's caption is black (enabled) or not (greyed)
    e2e_shot "start-$1"
    local black
    black=$(e2e_count_colour "start-$1.png" "#000000" 209x33+48+232 25%)
    if [[ $1 == black ]]; then ((black > 20)); else ((black == 0)); fi
}

e2e_start_x
e2e_start_audio
e2e_start_accessibility
e2e_stage
e2e_launch "+0 x100"
e2e_wait 10 "START in black at load" start_shows black

e2e_click 172 199
xdotool key End BackSpace BackSpace
e2e_atspi wait-text "Shot Volume" "" 10
e2e_wait 10 "START greyed out with the box empty" start_shows grey
xdotool type --delay 50 4x0
e2e_atspi wait-text "Shot Volume" "40" 10
e2e_shot typed

e2e_click_start
e2e_finish 120 40
e2e_expect_flash
e2e_expect_exit 10
# The program has ended: every cue it played is on its way to the recording.
e2e_wait_cues 10 99 "$ART/app/slonk.wav"
e2e_stop_recorder
# At x100 a real delay of 1 ms is 0.1 fake s, so the bound is wide in fake time
# (150 real ms) yet still tells a cue on its minute from one a minute off, and
# the drift check spans all 98 minutes.
e2e_cues "$ART/app/slonk.wav" --count 99 --speed 100 --spacing 60 --tolerance 15
e2e_log "passed"
