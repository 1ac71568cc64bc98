#!/usr/bin/env bash
# Two programs at once each run their own challenge: both cue, both flash,
# neither disturbs the other, both end with exit code 0.
source "$(dirname "$0")/../../testkit/harness.sh" two-programs "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
# 25 times real speed: a minute is 2.4 s; the second START comes about 1.2 s
# after the first, so their cues take turns without overlapping.
e2e_launch "+0 x25"
first=$APP_PID first_window=$WID
E2E_PIDS+=($first)
e2e_click_start
sleep 0.5
e2e_launch "+0 x25" # its window opens beside or over the first one
xdotool windowactivate "$WID"
sleep 0.2
e2e_click 152 248
sleep 3.9 # its cues at 0 and 60 fake s; the first's at 0, 60 and 120
e2e_close_window
e2e_expect_exit 5
APP_PID=$first WID=$first_window
e2e_expect_flash
e2e_close_window
e2e_expect_exit 5
sleep 0.5
e2e_stop_recorder
verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$ART/app/slonk.wav" 2>&1) ||
    e2e_fail "$verdict"
copies=${verdict%% *}
((copies == 5)) || e2e_fail "expected 5 cues from both programs, saw $verdict"
e2e_log "$verdict"
