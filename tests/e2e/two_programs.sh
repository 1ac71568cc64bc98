#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Two programs at once each run their own challenge: both cue, both flash,
# neither disturbs the other (each one's cues a minute apart throughout), both
# end with exit code 0. The second plays a cue of its own, so the recording
# tells whose cue is whose.
source "$(dirname "$0")/../../testkit/harness.sh" two-programs "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
first_cue=$ART/app/slonk.wav
mkdir -p "$ART/second"
cp "$ART/app/slonk" "$ART/second/"
second_cue=$ART/second/slonk.wav
cp "$E2E_SOURCE/assets/default-cue.wav" "$second_cue"

# 25 times real speed: a minute is 2.4 s, so each program's cues come 2.4 s
# apart. The second starts just after one of the first's cues has been heard
# whole, about a second into the first's minute, so their cues take turns.
e2e_launch "+0 x25"
first=$APP_PID first_window=$WID
E2E_PIDS+=($first)
e2e_click_start
e2e_expect_flash
e2e_wait_cues 20 1 "$first_cue"
E2E_PROGRAM=$ART/second/slonk e2e_launch "+0 x25" # its window opens beside or over the first one
xdotool windowactivate "$WID"
e2e_wait 10 "the second window to take the focus" sh -c "[ \"\$(xdotool getactivewindow)\" = $WID ]"
heard=$("$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$first_cue" --heard)
e2e_wait_cues 20 $((heard + 1)) "$first_cue"
e2e_click_start
e2e_expect_flash
e2e_wait_cues 20 2 "$second_cue"
e2e_close_window
e2e_expect_exit 5
APP_PID=$first WID=$first_window
# The first went on while the second ran and goes on after it: two cues more
# than it had played at the second's START, each on its minute (below).
e2e_wait_cues 20 $((heard + 3)) "$first_cue"
e2e_close_window
e2e_expect_exit 5
e2e_stop_recorder
verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$first_cue" --also "$second_cue" \
    --cut-last --apart --speed 25 --spacing 60 2>&1) || e2e_fail "$verdict"
sequence=$(head -n 1 <<<"$verdict")
ones=${sequence//[^1]/} twos=${sequence//[^2]/}
((${#ones} >= heard + 3 && ${#twos} == 2)) ||
    e2e_fail "expected $((heard + 3)) or more cues of the first program and 2 of the second, saw ${sequence#sequence }"
e2e_log "$verdict"
