#!/usr/bin/env bash
# PipeWire dies mid-challenge and comes back, on Wayland at a hundred times
# speed: the program neither crashes nor stalls, its flashes go on without a
# sound server, its cues return with it, and it ends with exit code 0.
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
e2e_launch_wayland "+0 x100"
program=$(e2e_program_pid)
e2e_atspi press START
e2e_wait_cues 10 2 "$ART/app/slonk.wav"
e2e_kill_pipewire
e2e_log "PipeWire killed after $(e2e_flashes) flashes"
without=$(($(e2e_flashes) + 3))
e2e_wait 10 "the flashes to go on without a sound server" flashes_reach $without
e2e_log "$(e2e_flashes) flashes"
e2e_start_pipewire
e2e_log "PipeWire back"
recording=$(ls -t "$ART"/recording-*.wav | head -n 1)
"$PYTHON" "$E2E_KIT/cues.py" "$recording" "$ART/app/slonk.wav" --at-least 2 --wait 15 >/dev/null ||
    e2e_fail "expected the cues back with PipeWire, heard none in $recording"
e2e_log "cues back: $(e2e_flashes) flashes"
kill -0 "$program" || e2e_fail "expected the program running, it is gone"
kill -TERM "$program"
e2e_expect_exit 5
e2e_stop_recorder
# Cut by the program's end, the last copy in the new recording may stop early.
verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$recording" "$ART/app/slonk.wav" --at-least 2 --cut-last 2>&1) ||
    e2e_fail "$verdict"
e2e_log "after the restart: $verdict"
e2e_log "passed"
