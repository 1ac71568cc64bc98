#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# A whole challenge at a hundred times real speed, natively on Wayland (headless
# weston) with PipeWire, driven and read over AT-SPI as weston offers no seat:
# START pressed, 99 whole cues on time, 99 "SLONK!" flashes, the finish box
# read and confirmed, exit 0. On PulseAudio instead when asked (bench/stress.sh).
# usage: wayland_full_challenge.sh BUILD-FOLDER [pipewire|pulseaudio]
server=${2:-pipewire}
source "$(dirname "$0")/../../testkit/harness.sh" "wayland-full-challenge${2:+-$server}" \
    "${1:?usage: $0 BUILD-FOLDER [pipewire|pulseaudio]}"
source "$E2E_KIT/pipewire.sh"
source "$E2E_KIT/wayland.sh"

e2e_start_weston
e2e_start_sound "$server"
e2e_start_accessibility
e2e_count_flashes
e2e_stage
e2e_launch_wayland "+0 x100"
e2e_atspi press START
e2e_log "START"
e2e_log "$(e2e_atspi finish 120 35)"
e2e_atspi press-ok
e2e_expect_exit 10
e2e_wait 10 "99 flashes counted" sh -c "[ \"\$(cat '$ART/flashes')\" -ge 99 ]"
flashes=$(e2e_flashes)
[[ $flashes -eq 99 ]] || e2e_fail "expected 99 SLONK! flashes, counted $flashes"
e2e_log "99 flashes"
e2e_wait_cues 10 99 "$ART/app/slonk.wav"
e2e_stop_recorder
# 150 real ms of tolerance, as on X11.
e2e_cues "$ART/app/slonk.wav" --count 99 --speed 100 --spacing 60 --tolerance 15
e2e_log "passed"
