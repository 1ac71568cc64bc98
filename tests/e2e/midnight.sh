#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A challenge started before midnight local time runs across it with its cues
# a minute apart, no extra one and none missing.
source "$(dirname "$0")/../../testkit/harness.sh" midnight "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
# Ten times real speed from 23:59:00: START comes before midnight when it is
# clicked within 6 real seconds of the launch, and fails the test otherwise,
# for a START after midnight would test no midnight at all.
launched=${EPOCHREALTIME/./}
e2e_launch "@$(date +%F) 23:59:00 x10"
e2e_click_start
took=$(((${EPOCHREALTIME/./} - launched) / 1000))
((took < 6000)) ||
    e2e_fail "expected START before midnight on the program's clock (within 6000 real ms of the launch), saw it after $took ms"
e2e_log "START $took real ms after the launch: before midnight"
# Cues at 0, 60, 120 and 180 fake s after START, midnight between the first two.
e2e_wait_cues 60 4 "$ART/app/slonk.wav"
e2e_close_window
e2e_expect_exit 10
e2e_expect_flash
e2e_stop_recorder
e2e_cues "$ART/app/slonk.wav" --at-least 4 --cut-last --speed 10 --spacing 60
e2e_log "passed"
