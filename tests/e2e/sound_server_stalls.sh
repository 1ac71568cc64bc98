#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Whatever the sound server does, the program never hangs, never sounds a cue
# late and never fails in silence. On the real server (stopped with SIGSTOP,
# as a stalled or swapped-out one is, or killed):
# - its stream says what it is, as desktops read it;
# - it ends promptly, by the window's close or SIGTERM, SIGINT or SIGHUP, with
#   the server stopped before it connects, stopped while a cue is due, stopped
#   mid-cue, or gone; the flash never waits for the sound;
# - a server stalled for 23 s across two due cues: both are dropped, not heard
#   late, the next one is on time, and no stream is left behind on the server;
# - each failure, and the recovery, is one line on standard error.
# usage: sound_server_stalls.sh pulseaudio|pipewire BUILD-FOLDER
server=${1:?usage: $0 pulseaudio|pipewire BUILD-FOLDER}
source "$(dirname "$0")/../../testkit/harness.sh" "sound-server-stalls-$server" \
    "${2:?usage: $0 SERVER BUILD-FOLDER}"
source "$E2E_KIT/pipewire.sh"

DROPPED='slonk: a cue was dropped: the sound server did not start it within 2 s'
LOST='slonk: no sound: lost the sound server'
BACK='slonk: the cue sounds again'

# The process the program talks to: PulseAudio, or PipeWire's pulse layer.
start_server() {
    e2e_start_sound "$server"
    SERVER=${E2E_PULSE:-}
    [[ $server == pulseaudio ]] || SERVER=$E2E_PIPEWIRE_PULSE
    if [[ $server == pipewire ]]; then
        # Judged from PipeWire's own recorder: the pulse layer's stops with it.
        # Its file named once: the second may turn before the wait for it.
        RECORDING=$ART/native-$SECONDS.wav
        pw-record --target rec -P '{ stream.capture.sink=true }' --rate 44100 --channels 2 \
            --format s16 "$RECORDING" >>"$ART/pw-record.log" 2>&1 &
        NATIVE=$!
        E2E_PIDS+=($NATIVE)
        e2e_wait 10 "PipeWire's own recorder" test -s "$RECORDING"
    else
        RECORDING=$(ls -t "$ART"/recording*.wav | head -n 1)
    fi
}

# streams_left COUNT: the server holds COUNT streams of the program (its
# list kept in $ART/streams.txt).
streams_left() {
    pactl list sink-inputs >"$ART/streams.txt"
    [[ $(grep -c 'application.id = "app.slonk.Slonk"' "$ART/streams.txt") -eq $1 ]]
}

# says LINE [COUNT]: the program's log holds the line COUNT times (once).
says() {
    [[ $(grep -c -F -- "$1" "$ART/slonk.log") -eq ${2:-1} ]]
}

# said_once LINE: once the program has ended, its log holds the line once:
# seen once while it ran is not yet said once.
said_once() {
    says "$1" || e2e_fail "expected \"$1\" once, saw: $(grep slonk: "$ART/slonk.log" | tr '\n' '|')"
}

# The stream opened ahead, with the properties desktops show and route by.
e2e_start_x
start_server
e2e_stage
e2e_launch
e2e_wait 10 "the cue's stream at the server" sh -c "pactl list sink-inputs | grep -q app.slonk.Slonk"
pactl list sink-inputs >"$ART/sink-inputs.txt"
for property in 'application.name = "Slonk"' 'application.id = "app.slonk.Slonk"' \
    'application.icon_name = "app.slonk.Slonk"' 'application.version = "1.00"' \
    'media.role = "alarm"'; do
    grep -q -F "$property" "$ART/sink-inputs.txt" ||
        e2e_fail "expected $property on the cue's stream, saw: $(grep -E 'application|media' "$ART/sink-inputs.txt" | tr -d '\t' | tr '\n' ' ')"
done
e2e_log "the cue's stream names the program"

# Stopped while a cue falls due: the flash shows, the cue is dropped, the
# window's close ends the program.
kill -STOP "$SERVER"
e2e_click_start
e2e_expect_flash
e2e_wait 10 "the dropped cue said" says "$DROPPED"
e2e_ends_within 2 "server stopped at the cue, window closed" e2e_close_window
said_once "$DROPPED"
kill -CONT "$SERVER"

# Stopped before the program connects.
kill -STOP "$SERVER"
e2e_launch
e2e_click_start
e2e_expect_flash
e2e_ends_within 2 "server stopped before the program connected, SIGTERM" kill -TERM "$(e2e_program_pid)"
kill -CONT "$SERVER"

# Stopped mid-cue: the flash shows as the cue starts, and the cue lasts 0.6 s.
e2e_launch
e2e_click_start
e2e_expect_flash
kill -STOP "$SERVER"
e2e_ends_within 2 "server stopped mid-cue, SIGINT" kill -INT "$(e2e_program_pid)"
kill -CONT "$SERVER"

# Gone: killed under the program, which says so once.
e2e_launch
e2e_click_start
e2e_expect_flash
if [[ $server == pulseaudio ]]; then kill -9 "$SERVER" "$E2E_RECORDER"; else e2e_kill_pipewire; fi
e2e_wait 10 "the lost server said" says "$LOST"
e2e_ends_within 2 "server killed, SIGHUP" kill -HUP "$(e2e_program_pid)"
said_once "$LOST"

# Stalled for 23 s across the second and third cues, at four times speed: due
# 15 and 30 s after START, each dropped half a second later (the program's own
# 2 s), while the server is still stopped (from 11 s to 34 s); the fourth is
# due at 45 s. The streams asked for meanwhile are made once the server runs
# again: none of them may stay.
start_server
E2E_ENV=(SLONK_CUE_DEADLINE_MS=2000)
e2e_launch "+0 x4"
E2E_ENV=()
e2e_click_start
started=${EPOCHREALTIME/./}
at() { # at SECONDS: sleeps until that long after START
    while ((${EPOCHREALTIME/./} < started + $1 * 1000000)); do sleep 0.02; done
}
at 11
kill -STOP "$SERVER"
e2e_log "server stopped"
at 34
kill -CONT "$SERVER"
e2e_log "server running again"
"$PYTHON" "$E2E_KIT/cues.py" "$RECORDING" "$ART/app/slonk.wav" --at-least 2 --wait 30 >/dev/null ||
    e2e_fail "expected the fourth cue after the stall, heard $("$PYTHON" "$E2E_KIT/cues.py" "$RECORDING" "$ART/app/slonk.wav" --heard) copies"
# Once the cue has played out, only the spare for the next one is left.
e2e_wait 10 "one stream of the program left once the cue had played (seen: $ART/streams.txt)" \
    streams_left 1
e2e_log "no stream left behind: only the spare for the next cue"
e2e_ends_within 2 "after the stall, SIGTERM" kill -TERM "$(e2e_program_pid)"
said_once "$DROPPED"
said_once "$BACK"
if [[ $server == pulseaudio ]]; then
    e2e_stop_recorder
else
    kill -INT "$NATIVE"
    e2e_wait 5 "PipeWire's recorder to finish its file" sh -c "! kill -0 $NATIVE"
fi
verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$RECORDING" "$ART/app/slonk.wav" --count 2 --speed 4 \
    --spacing 180 --tolerance 2 2>&1) || e2e_fail "$verdict"
e2e_log "the stalled cues dropped, the next on time: $verdict"
e2e_log "passed"
