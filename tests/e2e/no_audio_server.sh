#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# With no sound server to play to, a whole challenge still runs, flashes,
# finishes and exits with code 0. Nothing is heard, so time may run twice as
# fast as where cues are heard (a flash still lasts 3 ms): the finish comes
# after 30 seconds. The missing server is said once, not at each of the 99 cues.
source "$(dirname "$0")/../../testkit/harness.sh" no-audio-server "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_no_audio
e2e_stage
e2e_launch "+0 x200"
e2e_click_start
e2e_finish 60
e2e_expect_flash
e2e_expect_exit 10
said=$(grep -c '^slonk: no sound: cannot reach the sound server (' "$ART/slonk.log" || true)
[[ $said -eq 1 ]] || e2e_fail "expected the missing server said once, saw it $said times: $(head -c 300 "$ART/slonk.log")"
e2e_log "passed"
