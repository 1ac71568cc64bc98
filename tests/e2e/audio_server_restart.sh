#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The sound server dies mid-challenge and comes back: the program neither
# crashes nor stalls (no repaint late), its flashes go on, counted one by one
# as they come and go, and it ends with exit code 0.
source "$(dirname "$0")/../../testkit/harness.sh" audio-server-restart "${1:?usage: $0 BUILD-FOLDER}"

# flashes_go_on WHEN: three more flashes come within 10 s; at x100 they are
# 0.6 real s apart.
flashes_go_on() {
    local wanted
    wanted=$(($(e2e_flashes) + 3))
    e2e_wait 10 "three more SLONK! flashes $1" \
        sh -c "[ \"\$(cat '$ART/flashes')\" -ge $wanted ]"
    e2e_log "$(e2e_flashes) flashes $1"
}

e2e_start_x
e2e_start_audio
e2e_start_accessibility
e2e_count_flashes
e2e_stage
e2e_watch_paints
e2e_launch "+0 x100"
unset LD_PRELOAD
e2e_click_start
e2e_wait_cues 10 1 "$ART/app/slonk.wav"
kill -9 "$E2E_PULSE" "$E2E_RECORDER"
e2e_log "sound server killed"
e2e_expect_flash
flashes_go_on "without a sound server"
e2e_start_audio
e2e_log "sound server back"
flashes_go_on "after the sound server came back"
kill -0 "$(e2e_program_pid)" || e2e_fail "expected the program running, it is gone"
e2e_close_window
e2e_expect_exit 10
# Ticks repaint every 0.5 real ms; a loaded machine delays one by tens of ms.
stall=$(e2e_longest_paint_gap 100)
awk -v s="$stall" 'BEGIN {exit !(s < 500)}' ||
    e2e_fail "expected no stall over 500 ms, saw a gap of $stall ms between repaints"
e2e_log "longest gap between repaints while running: $stall ms"
e2e_log "passed"
