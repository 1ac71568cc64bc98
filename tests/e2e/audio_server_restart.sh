#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The sound server dies mid-challenge and comes back: the program neither
# crashes nor stalls, its flashes go on, and it ends with exit code 0.
source "$(dirname "$0")/../../testkit/harness.sh" audio-server-restart "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
e2e_launch "+0 x100"
e2e_click_start
e2e_wait_cues 10 1 "$ART/app/slonk.wav"
kill -9 "$E2E_PULSE" "$E2E_RECORDER"
e2e_log "sound server killed"
e2e_expect_flash
"$PYTHON" "$E2E_KIT/catch_colour.py" "$WID" 0 48 313 73 ff0000 500 10 "$ART/flash-without.ppm" ||
    e2e_fail "expected the flashes to go on without a sound server, caught none"
e2e_start_audio
e2e_log "sound server back"
"$PYTHON" "$E2E_KIT/catch_colour.py" "$WID" 0 48 313 73 ff0000 500 10 "$ART/flash-after.ppm" ||
    e2e_fail "expected the flashes to go on after the sound server came back, caught none"
kill -0 "$(e2e_program_pid)" || e2e_fail "expected the program running, it is gone"
e2e_close_window
e2e_expect_exit 10
e2e_log "passed"
