#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Without slonk.wav beside the program, every cue plays the built-in default
# cue and the flash still shows; closing the window ends with exit code 0.
source "$(dirname "$0")/../../testkit/harness.sh" missing-sound "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
rm "$ART/app/slonk.wav"
e2e_launch "+0 x100"
e2e_click_start
default_cue=$E2E_SOURCE/assets/default-cue.wav
e2e_wait_cues 30 4 "$default_cue" # cues at 0, 60, 120 and 180 fake s
e2e_close_window
e2e_expect_exit 10
e2e_expect_flash
e2e_stop_recorder
e2e_cues "$default_cue" --at-least 4 --cut-last --speed 100 --spacing 60 --tolerance 15
e2e_log "passed"
