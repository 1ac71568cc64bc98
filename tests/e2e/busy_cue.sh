#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A cue plays whole and on time while the thread that asks for it is held busy
# for a second, at every moment of the cue: before the sound is loaded, as its
# stream opens, while it plays. Real time, on the real sound server.
# usage: busy_cue.sh pulseaudio|pipewire BUILD-FOLDER
server=${1:?usage: $0 pulseaudio|pipewire BUILD-FOLDER}
source "$(dirname "$0")/../../testkit/harness.sh" "busy-cue-$server" "${2:?usage: $0 SERVER BUILD-FOLDER}"
source "$E2E_KIT/pipewire.sh"

e2e_start_sound "$server"
cue=$E2E_BUILD/bin/slonk.wav
timeout 60 "$E2E_BUILD/tests/e2e/busy_cue" "$E2E_BUILD/bin" >"$ART/busy_cue.log" 2>&1 ||
    e2e_fail "expected busy_cue to end with 0, saw $? ($(tail -n 1 "$ART/busy_cue.log"))"
cues=$(grep -c '^cue ' "$ART/busy_cue.log")
# The recorder may still be behind the player. A broken cue never completes
# the count: the check after the wait says what it saw. A cue held back by the
# busy thread would come about a second late: the spacing allows a quarter.
"$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$cue" --at-least "$cues" --wait 10 >/dev/null || true
e2e_stop_recorder
e2e_cues "$cue" --count "$cues" --spacing 2 --tolerance 0.25
# Ending while a cue sounds stops it cleanly: no crash, and under the
# sanitizers no leak.
timeout 20 "$E2E_BUILD/tests/e2e/busy_cue" "$E2E_BUILD/bin" --end-mid-cue >"$ART/end_mid_cue.log" 2>&1 ||
    e2e_fail "expected an end mid-cue with exit code 0, saw $? ($(tail -n 1 "$ART/end_mid_cue.log"))"
e2e_log "passed"
