#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# slonk.wav goes bad while a challenge runs: emptied, truncated, 24-bit, not a
# WAV, a folder, unreadable, 100 MB (too long to be a cue: said once). Each
# bad cue plays the built-in default cue, the good file plays again once it is
# back, and the user interface never freezes at a cue (every repaint is
# stamped by a shim).
source "$(dirname "$0")/../../testkit/harness.sh" sound-file-faults "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_start_audio
e2e_stage
good=$ART/good.wav
wav=$ART/app/slonk.wav
cp "$wav" "$good"
sox "$good" -b 24 "$ART/24bit.wav"

# Root reads a file whatever its mode: as root the program runs without the
# two capabilities that allow that, and meets the unreadable file as a user's
# program does.
if [[ $(id -u) -eq 0 ]]; then
    printf '#!/bin/sh\nexec setpriv --bounding-set=-dac_override,-dac_read_search %q "$@"\n' \
        "$ART/app/slonk" >"$ART/unprivileged"
    chmod +x "$ART/unprivileged"
    E2E_PROGRAM=$ART/unprivileged
fi
e2e_watch_paints
# Twenty times real speed: a minute is 3 real seconds, a tick 2.5 ms.
e2e_launch "+0 x20"
unset LD_PRELOAD
e2e_click_start 60

# Each state is put in place as soon as the cue before it has been heard, a
# good two real seconds before its own cue.
states=(good empty truncated 24-bit not-wav folder unreadable huge good)
heard=1
for state in "${states[@]:1}"; do
    e2e_wait_cues 30 "$heard" "$good" --also "$E2E_SOURCE/assets/default-cue.wav"
    heard=$((heard + 1))
    rm -rf "$wav"
    case $state in
        good) cp "$good" "$wav" ;;
        empty) : >"$wav" ;;
        truncated) head -c 30000 "$good" >"$wav" ;;
        24-bit) cp "$ART/24bit.wav" "$wav" ;;
        not-wav) echo "not a sound" >"$wav" ;;
        folder) mkdir "$wav" ;;
        unreadable) cp "$good" "$wav"; chmod 000 "$wav" ;;
        huge) cp "$good" "$wav"; truncate -s 100M "$wav" ;;
    esac
done
e2e_wait_cues 30 "$heard" "$good" --also "$E2E_SOURCE/assets/default-cue.wav"
e2e_close_window
e2e_expect_exit 10
# A file too long to be a cue is never played in part, nor passed over unsaid.
refused="slonk: $wav is not played: longer than a minute, or than the sound server takes whole"
[[ $(grep -cxF "$refused" "$ART/slonk.log") -eq 1 ]] ||
    e2e_fail "expected \"$refused\" once, saw: $(grep slonk: "$ART/slonk.log" | tr '\n' '|')"
e2e_expect_flash
e2e_stop_recorder

# The cue (1) or the default (2) at each state.
want=122222221
verdict=$("$PYTHON" "$E2E_KIT/cues.py" "$ART/recording.wav" "$good" \
    --also "$E2E_SOURCE/assets/default-cue.wav" --cut-last --speed 20 --spacing 60 \
    --tolerance 6 2>&1) ||
    e2e_fail "$verdict"
sequence=$(head -n 1 <<<"$verdict")
[[ $sequence == "sequence $want" ]] ||
    e2e_fail "expected the cues in the order $want (1 slonk.wav, 2 the default), saw ${sequence#sequence }"
e2e_log "$(tail -n 1 <<<"$verdict")"

# Ticks repaint every 2.5 real ms.
stall=$(e2e_longest_paint_gap 20)
e2e_log "longest gap between repaints while running: $stall ms"
# A bad file must never hold the window; a loaded machine can delay a repaint
# by tens of milliseconds. Half a second tells the two apart.
awk -v s="$stall" 'BEGIN {exit !(s < 500)}' ||
    e2e_fail "expected no stall over 500 ms, saw a gap of $stall ms between repaints"
e2e_log "passed"
