#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The streams the cue holds on a real PulseAudio as its cues come and go, seen
# with pactl between commands to the cue's own PulseCues (pulse_cues.cpp):
# - a cue read too late still leaves a spare stream for the next one;
# - a cue that replaces one of its format waiting for the server takes over
#   its stream, though the format wanted changed meanwhile; one read too late
#   in a new format lets it go for a spare of its own format, and no other
#   stream is made;
# - a server that leaves the question before a cue unanswered for libpulse's
#   30 s drops the cue and says so, well before a long deadline.
# The driver runs ten times faster (libfaketime), so libpulse's 30 s are 3 s.
# usage: pulse_cues.sh BUILD-FOLDER
source "$(dirname "$0")/../../testkit/harness.sh" pulse-cues "${1:?usage: $0 BUILD-FOLDER}"

OLD='44100 2 16' OLD_FORMAT='s16le 2ch 44100Hz'
NEW='22050 1 8' NEW_FORMAT='u8 1ch 22050Hz'
NO_ANSWER='slonk: a cue was dropped: no answer from the sound server (Timeout)'

e2e_start_audio
mkfifo "$ART/commands"
# 600 s of the driver's clock: a minute of real time.
faketime -f '+0 x10' "$E2E_BUILD/tests/e2e/pulse_cues" 600000 <"$ART/commands" \
    >"$ART/pulse_cues.log" 2>&1 &
DRIVER=$!
E2E_PIDS+=($DRIVER)
exec 3>"$ART/commands"
sent=0

# send COMMAND: hands the driver a command and waits until it has taken it.
send() {
    echo "$*" >&3
    sent=$((sent + 1))
    e2e_wait 10 "the driver to take \"$*\"" sh -c "[ \$(grep -c '^ok' '$ART/pulse_cues.log') -ge $sent ]"
}

# holds FORMAT [INDEX]: the server holds one stream and no other: of that
# sample format, and of that index when given (the server numbers streams as
# it makes them).
holds() {
    pactl list short sink-inputs | cut -f 1,5 >"$ART/streams.txt"
    [[ $(<"$ART/streams.txt") == ${2:-+([0-9])}$'\t'"$1" ]]
}

send play $OLD late
e2e_wait 10 "the spare opened after a cue read late, seen: $ART/streams.txt" holds "$OLD_FORMAT"
e2e_log "a cue read late: the spare is there for the next"

# The server stopped: each cue waits for its answer.
send prepare $OLD
e2e_wait 10 "the spare of the old format, seen: $ART/streams.txt" holds "$OLD_FORMAT"
first=$(cut -f 1 "$ART/streams.txt")
kill -STOP "$E2E_PULSE"
send play $OLD
send prepare $NEW
send play $OLD
send play $NEW late
kill -CONT "$E2E_PULSE"
e2e_wait 10 "only the spare of the new format, the next stream made, seen: $ART/streams.txt" \
    holds "$NEW_FORMAT" $((first + 1))
e2e_log "cues replaced while waiting: one stream for all of the old format, then only the new spare"

kill -STOP "$E2E_PULSE"
send play $NEW
e2e_wait 20 "the unanswered cue said" grep -qxF "$NO_ANSWER" "$ART/pulse_cues.log"
kill -CONT "$E2E_PULSE"
e2e_wait 10 "the unanswered cue's stream kept as the spare, seen: $ART/streams.txt" \
    holds "$NEW_FORMAT" $((first + 1))
e2e_log "an unanswered cue: dropped and said"

exec 3>&-
e2e_wait 10 "the driver to end" sh -c "! kill -0 $DRIVER"
wait "$DRIVER" || e2e_fail "expected the driver to end with 0, saw $? ($(tail -n 1 "$ART/pulse_cues.log"))"
e2e_log "passed"
