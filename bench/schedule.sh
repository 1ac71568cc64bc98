#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# How closely a whole challenge at a hundred times real speed keeps to its
# schedule, heard at the sound server: prints the cue finder's line. Figures
# only, on the end-to-end rig. Usage: bench/schedule.sh BUILD-FOLDER
source "$(dirname "$0")/../testkit/harness.sh" bench-schedule "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
e2e_launch "+0 x100"
e2e_click_start
e2e_finish 120
e2e_expect_exit 10
e2e_wait_cues 10 99 "$ART/app/slonk.wav"
e2e_stop_recorder
"$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$ART/app/slonk.wav" --speed 100 --spacing 60 \
    --tolerance 60
