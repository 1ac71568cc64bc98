#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A blind user's challenge: the screen reader Orca, for real, reads the window
# at launch, walks the volume box word by word, hears START taken and a cue,
# and reads the finish box, whose Return ends the program. What Orca says is
# read from its log. Real speed: Orca falls behind a sped-up window, so the
# minutes pass in a jump of the program's clock (libfaketime, read from a file).
source "$(dirname "$0")/../../testkit/harness.sh" screen_reader "${1:?usage: $0 BUILD-FOLDER}"

ORCA_LOG=$ART/orca.log
SAID_FROM=1

# What Orca has said since the last mark, one utterance a line (Orca 51 may
# break the voice's settings after it over lines).
said() {
    tail -n "+$SAID_FROM" "$ORCA_LOG" 2>/dev/null |
        sed -nE "s/^[0-9:.]+ - SPEECH OUTPUT: '(.*)'( ?\{.*)?\$/\1/p"
}

# said_now TEXT...: one of the TEXTs said as a whole utterance, or as two in a
# row (Orca 48 says a notification's role and its text apart).
said_now() {
    local text patterns=()
    for text; do patterns+=(-e "$text"); done
    said | awk '{print} NR > 1 {print last " " $0} {last = $0}' |
        grep -xF "${patterns[@]}" >/dev/null # reads it all: no early exit to break the pipe
}

# hears SECONDS TEXT...: Orca says one of the TEXTs, as one utterance, within
# SECONDS. Orca 48 says some without Orca 43's full stop, and names a push
# button "button"; Orca 51 says no full stop, nor the window's role.
hears() {
    local seconds=$1 deadline=$((SECONDS + $1))
    shift
    until said_now "$@"; do
        ((SECONDS < deadline)) ||
            e2e_fail "expected Orca to say \"$1\" within $seconds s, it said: $(said | tr '\n' '|')"
        sleep 0.05
    done
    e2e_log "Orca: $1"
}


# hears_with_ctrl KEY TEXT: Ctrl+KEY makes Orca say TEXT. Control is held
# until it has: Orca reads a moved caret by the keys down when it comes.
hears_with_ctrl() {
    mark
    xdotool keydown Control_L key "$1"
    hears 10 "$2"
    xdotool keyup Control_L
}

# Starts counting what Orca says from now on.
mark() {
    SAID_FROM=$(($(wc -l <"$ORCA_LOG") + 1))
}

e2e_start_x
e2e_no_audio
e2e_start_accessibility
gsettings set org.gnome.desktop.a11y.applications screen-reader-enabled true
gsettings set org.gnome.desktop.interface toolkit-accessibility true
"$PYTHON" "$E2E_KIT/orca_log.py" "$ORCA_LOG" >"$ART/orca.out" 2>&1 &
ORCA_PID=$!
E2E_PIDS+=($ORCA_PID)
hears 30 "Screen reader on."

e2e_stage
echo +0 >"$ART/clock"
E2E_ENV=(LD_PRELOAD=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
         FAKETIME_TIMESTAMP_FILE="$ART/clock" FAKETIME_CACHE_DURATION=1)
e2e_launch
hears 20 "$TITLE frame." "$TITLE frame" "$TITLE"
hears 10 "Shot Volume text." "Shot Volume text"
hears 10 "35." "35"

# Word by word through the box: the word at its end once spun the window's
# thread for good.
hears_with_ctrl Left "35"
hears_with_ctrl Right "35"
[[ $(e2e_atspi text "Shot Volume") == 35 ]] || e2e_fail "expected the box to answer \"35\" after the words"

xdotool key Tab
hears 10 "START push button." "START button." "START button"
mark
xdotool key Return
started=${EPOCHREALTIME/./}
# The volume is fixed now: no longer a box to type into.
hears 10 "Shot Volume read only text." "Shot Volume read only text"
hears 10 "notification SLONK!"
# Once that flash is over (a cue while it shows adds no new appearance), the
# clock jumps to 3 to 5 s before the finish, however long all this took: the
# 99th shot's cue, then the finish.
# (Orca 43 logs the event as "(0, 0, [notification | SLONK!])", Orca 48 as
# "(0, 0, [notification: 'SLONK!'])", Orca 51 with the object's address.)
e2e_wait 10 "the first flash over" grep -qE \
    "object:state-changed:showing .*\(0, 0, \[notification( \||:) '?SLONK!'?( \(0x[0-9a-f]+\))?\]\)" "$ORCA_LOG"
mark
echo "+$((5936 - (${EPOCHREALTIME/./} - started) / 1000000 - 1))" >"$ART/clock"
hears 20 "notification SLONK!"
hears 20 "alert Slonk!"
hears 10 "You've finished! Well done!"
hears 10 "OK push button." "OK button." "OK button"
xdotool key Return
e2e_expect_exit 10
kill -KILL "$ORCA_PID" # it ignores SIGTERM while idle
e2e_log "passed"
