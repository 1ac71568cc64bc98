#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Pastes through the clipboard (Shift+Insert, the box's context menu) and the
# primary selection (middle click) leave nothing but digits, at most nine, in
# the volume box; each route is shown to paste digits. Ctrl+V pastes nothing
# at all: the box swallows its character, as it does every one outside 0-9, so
# its rows show only that, whatever the paste does.
source "$(dirname "$0")/../../testkit/harness.sh" bad-paste "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_no_audio
e2e_start_accessibility
e2e_stage
e2e_launch

# offer SELECTION TEXT: xclip serves it until another program takes it over.
offer() {
    printf '%s' "$2" | xclip -selection "$1" -i
}

# The context menu: a second window of the program's on screen.
menu_shown() {
    (($(xdotool search --onlyvisible --class '^slonk$' | wc -l) > 1))
}

# paste ROUTE TEXT EXPECTED-PATTERN
paste() {
    local route=$1 text=$2 expected=$3 volume
    e2e_click 172 199
    xdotool key End
    case $route in
        ctrl+v) offer clipboard "$text"; xdotool key ctrl+v ;;
        shift+Insert) offer clipboard "$text"; xdotool key shift+Insert ;;
        middle-click) offer primary "$text"; e2e_click 172 199 2 ;;
        context-menu)
            offer clipboard "$text"
            e2e_click 172 199 3
            e2e_wait 10 "the box's context menu" menu_shown
            xdotool key p # its Paste
            ;;
    esac
    # Key events are handled in order, and a paste is done before the next one
    # is: once Tab has moved the focus, the paste has been dealt with.
    xdotool key Tab
    e2e_atspi wait-focused START 10
    volume=$(e2e_volume_text)
    [[ $volume =~ ^($expected)$ ]] ||
        e2e_fail "expected the box to read $expected after a $route paste of ${text:0:20}, saw \"$volume\""
    e2e_log "$route of ${text:0:20}: \"$volume\""
}

long_junk=$(printf '12abc%.0s' $(seq 200))
long_digits=$(printf '1234567890%.0s' $(seq 100))
for route in ctrl+v shift+Insert middle-click context-menu; do
    paste "$route" 12abc 35
    paste "$route" "$long_junk" 35
done
paste ctrl+v 12 35
paste shift+Insert 12 3512
paste middle-click 7 '[0-9]{5}'
paste context-menu 4 '[0-9]{5}4'
paste shift+Insert "$long_digits" '[0-9]{9}'
e2e_close_window
e2e_expect_exit 10
e2e_log "passed"
