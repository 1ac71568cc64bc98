#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A whole challenge at a hundred times real speed with the window minimised
# right after START: every cue still heard on its minute, and at the finish the
# box on screen where it can be seen while the minimised window asks for
# attention (the ICCCM urgency hint), then Return ends the program with exit 0.
source "$(dirname "$0")/../../testkit/harness.sh" minimised "${1:?usage: $0 BUILD-FOLDER}"

map_state_is() { # STATE: IsViewable or IsUnMapped
    xwininfo -id "$WID" | grep -q "Map State: $1"
}

minimise() {
    xdotool windowminimize "$WID"
    e2e_wait 10 "openbox to unmap the minimised window" map_state_is IsUnMapped
    e2e_log "minimised"
}

# WM_HINTS' flags word, the first of its nine, as a number: xprop's own
# reading of the hints leaves the urgency bit out.
urgent() {
    local hints
    hints=$(xprop -id "$WID" -notype -f WM_HINTS 32c '=$0\n' WM_HINTS) ||
        e2e_fail "expected to read the window's WM_HINTS, saw xprop fail"
    [[ $hints =~ ^WM_HINTS=([0-9]+)$ ]] || e2e_fail "expected WM_HINTS' flags, saw \"$hints\""
    ((BASH_REMATCH[1] & 256))
}

# BOX: the box's whole frame inside the 1024x768 screen.
on_screen() {
    local info x y width height
    info=$(xwininfo -id "$1") || e2e_fail "expected the finish box's geometry, saw xwininfo fail"
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    width=$(awk '/Width:/ {print $2}' <<<"$info")
    height=$(awk '/Height:/ {print $2}' <<<"$info")
    e2e_log "finish box at ${width}x${height}+$x+$y"
    ((x >= 0 && y >= 0 && x + width <= 1024 && y + height <= 768))
}

e2e_start_x
e2e_start_audio
e2e_stage
e2e_launch "+0 x100"
e2e_click_start
e2e_expect_flash
minimise

e2e_wait 120 "the finish box \"Slonk!\" viewable" \
    sh -c "xdotool search --onlyvisible --name '^Slonk!\$' | grep ."
box=$(xdotool search --onlyvisible --name '^Slonk!$' | head -n 1)
e2e_log "finish box"
map_state_is IsUnMapped || e2e_fail "expected the window still minimised at the finish, saw it shown"
on_screen "$box" || e2e_fail "expected the finish box on the screen, saw it outside"
e2e_wait 5 "the minimised window's urgency hint at the finish" urgent
e2e_log "urgency hint set"

xdotool windowactivate "$box"
e2e_wait 10 "the finish box to take the focus" sh -c "[ \"\$(xdotool getactivewindow)\" = $box ]"
xdotool key Return
e2e_expect_exit 10
e2e_wait_cues 10 99 "$ART/app/slonk.wav"
e2e_stop_recorder
e2e_cues "$ART/app/slonk.wav" --count 99 --speed 100 --spacing 60 --tolerance 15
e2e_log "passed"
