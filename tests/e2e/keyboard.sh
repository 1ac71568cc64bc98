#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The keyboard alone on a real display: digits typed with no click go into the
# volume box, Ctrl+H erases like Backspace and Ctrl+Backspace does nothing,
# Tab moves to START, and Space or Enter presses it.
source "$(dirname "$0")/../../testkit/harness.sh" keyboard "${1:?usage: $0 BUILD-FOLDER}"

# Each START is seen by the window's height: the running window is shorter.
started() {
    [[ $(xwininfo -id "$WID" | awk '/Height:/ {print $2}') -eq 219 ]]
}

e2e_start_x
e2e_no_audio
e2e_start_accessibility
e2e_stage

for press in space Return KP_Enter; do
    e2e_launch
    e2e_wait 10 "the new window to have the focus" sh -c "[ \"\$(xdotool getactivewindow)\" = $WID ]"
    if [[ $press == space ]]; then
        xdotool type 0
        e2e_atspi wait-text "Shot Volume" 350 10
        xdotool key ctrl+h
        e2e_atspi wait-text "Shot Volume" 35 10
        # Events come in order: a 7 after Ctrl+Backspace shows what it left.
        xdotool key ctrl+BackSpace
        xdotool type 7
        e2e_atspi wait-text "Shot Volume" 357 10
    fi
    xdotool key Tab
    e2e_atspi wait-focused START 10
    xdotool key "$press"
    e2e_wait 10 "START pressed by $press: the window 219 px high" started
    e2e_log "$press on START started the challenge"
    e2e_close_window
    e2e_expect_exit 10
done
e2e_log "passed"
