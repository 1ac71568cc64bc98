#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The compositor dies under a running challenge: the program ends promptly.
source "$(dirname "$0")/../../testkit/harness.sh" wayland-compositor-killed "${1:?usage: $0 BUILD-FOLDER}"
source "$E2E_KIT/wayland.sh"

e2e_start_weston
e2e_no_audio
e2e_start_accessibility
e2e_count_flashes
e2e_stage
e2e_launch_wayland
program=$(e2e_program_pid)
e2e_atspi press START
e2e_wait 10 "the first flash" sh -c "[ \"\$(cat '$ART/flashes')\" -ge 1 ]"
kill -9 "$E2E_WESTON"
e2e_log "weston killed"
e2e_wait 5 "the program to end with its compositor" sh -c "! kill -0 $program"
code=0
wait "$APP_PID" || code=$?
APP_PID=
e2e_log "the program ended, exit code $code: $(tail -n 1 "$ART/slonk.log")"
e2e_log "passed"
