#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# PipeWire dies mid-challenge and is started again at once, as a desktop's
# session does, on Wayland in real time: the program neither crashes nor
# stalls, its flashes go on, its cues return, and it ends with exit code 0.
# Real time, as a person meets it: the cue after the loss connects afresh.
source "$(dirname "$0")/../../testkit/harness.sh" wayland-sound-server-restart "${1:?usage: $0 BUILD-FOLDER}"
source "$E2E_KIT/pipewire.sh"
source "$E2E_KIT/wayland.sh"

# flashes_reach N: the flash count has reached N.
flashes_reach() {
    (($(e2e_flashes) >= $1))
}

e2e_start_weston
e2e_start_pipewire
e2e_start_accessibility
e2e_count_flashes
e2e_stage
e2e_launch_wayland
program=$(e2e_program_pid)
e2e_atspi press START
e2e_wait_cues 10 1 "$ART/app/slonk.wav"
e2e_kill_pipewire
e2e_log "PipeWire killed after $(e2e_flashes) flash"
e2e_start_pipewire
e2e_log "PipeWire back"
recording=$(ls -t "$ART"/recording-*.wav | head -n 1)
# The next cue is at minute 1.
e2e_wait 70 "the flashes to go on" flashes_reach 2
"$PYTHON" "$E2E_KIT/cues.py" "$recording" "$ART/app/slonk.wav" --at-least 1 --wait 10 >/dev/null ||
    e2e_fail "expected the cues back with PipeWire, heard none in $recording"
e2e_log "cue back with $(e2e_flashes) flashes"
kill -0 "$program" || e2e_fail "expected the program running, it is gone"
kill -TERM "$program"
e2e_expect_exit 5
e2e_stop_recorder
verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$recording" "$ART/app/slonk.wav" --count 1 2>&1) ||
    e2e_fail "$verdict"
e2e_log "after the restart: $verdict"
e2e_log "passed"
