#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# However the program is told to stop, it stops promptly and leaves nothing
# running: SIGTERM and SIGINT mid-challenge (exit code 0), the finish box closed
# by its title bar's close (exit code 0), the X server killed under it; and
# whatever the file system does with the cue file (slow to open, or hung), the
# system bus daemon (stalled) or the toolkit's own teardown (hung), one at a
# time and all at once with the sound server and the session bus stalled.
source "$(dirname "$0")/../../testkit/harness.sh" termination "${1:?usage: $0 BUILD-FOLDER}"

e2e_start_x
e2e_no_audio
e2e_stage

for signal in TERM INT; do
    e2e_launch
    e2e_click_start
    e2e_expect_flash # the challenge runs
    kill -s "$signal" "$(e2e_program_pid)"
    e2e_expect_exit 3
    e2e_log "SIG$signal: ended with exit code 0"
done

# A thousand times real speed: the finish box comes after six seconds.
e2e_launch "+0 x1000"
e2e_click_start
e2e_wait 30 "the finish box" sh -c "xdotool search --onlyvisible --name '^Slonk!\$' | grep ."
box=$(xdotool search --onlyvisible --name '^Slonk!$' | head -n 1)
xdotool windowactivate "$box"
e2e_wait 10 "the finish box to take the focus" sh -c "[ \"\$(xdotool getactivewindow)\" = $box ]"
xdotool key alt+F4
e2e_expect_exit 5
e2e_log "finish box closed: ended with exit code 0"

# The cue file slow to open (3 s), with a sound server there to hear it: the
# cue it makes late is dropped and said so, without a word against the
# server, and not heard, a second of recording after.
e2e_start_audio
E2E_ENV=(LD_PRELOAD="$E2E_BUILD/testkit/slowfile.so" SLOWFILE_SECONDS=3)
e2e_launch
e2e_click_start
e2e_expect_flash
e2e_wait 20 "the cue late from its slow file said" \
    grep -qxF "slonk: a cue was dropped: its file took more than 2 s to read" "$ART/slonk.log"
recorded=$(stat -c %s "$ART/recording.wav")
e2e_wait 10 "a second more recorded" sh -c "[ \$(stat -c %s '$ART/recording.wav') -ge $((recorded + 176400)) ]"
e2e_ends_within 1 "cue file slow to open, SIGINT" kill -INT "$(e2e_program_pid)"
! grep -qF "the sound server" "$ART/slonk.log" ||
    e2e_fail "expected no word against the sound server, saw: $(grep slonk: "$ART/slonk.log" | tr '\n' '|')"
e2e_stop_recorder
e2e_cues "$ART/app/slonk.wav" --count 0

# Hung for good, as on a network folder that stopped answering: the window's
# close and SIGTERM each end the program within a second all the same.
E2E_ENV=(LD_PRELOAD="$E2E_BUILD/testkit/slowfile.so" SLOWFILE_SECONDS=forever)
for ending in close TERM; do
    e2e_launch
    e2e_click_start
    e2e_expect_flash
    if [[ $ending == close ]]; then
        e2e_ends_within 1 "cue file hung, window closed" xdotool mousemove $(e2e_close_button) click 1
    else
        e2e_ends_within 1 "cue file hung, SIGTERM" kill -TERM "$(e2e_program_pid)"
    fi
    grep -qxF "slonk: ending while the cue file is still being read" "$ART/slonk.log" ||
        e2e_fail "expected the end said while the cue file hung, saw: $(grep slonk: "$ART/slonk.log" | tr '\n' '|')"
done

# The toolkit's own teardown hung, as Qt's Wayland client now and then does:
# the program ends within a second all the same, and says so.
E2E_ENV=(LD_PRELOAD="$E2E_BUILD/testkit/slowfile.so" SLOWFILE_HANG_DISPLAY=1)
E2E_TEARDOWN_HANGS=1
e2e_launch
e2e_click_start
e2e_expect_flash
e2e_ends_within 1 "display teardown hung, window closed" xdotool mousemove $(e2e_close_button) click 1
grep -qxF "slonk: ending without the rest of the teardown, which hung" "$ART/slonk.log" ||
    e2e_fail "expected the hung teardown said, saw: $(grep slonk: "$ART/slonk.log" | tr '\n' '|')"
E2E_ENV=()
E2E_TEARDOWN_HANGS=

e2e_system_bus_asked() {
    (($(e2e_system_bus_waiting) >= 1))
}

# logind's system bus stalled (its daemon stopped): START answers at once all
# the same, and the program still ends within a second. Its connection, made
# at START, waits in the stopped daemon's queue.
e2e_start_system_bus
kill -STOP "$E2E_SYSTEM_BUS_PID"
E2E_ENV=(DBUS_SYSTEM_BUS_ADDRESS="$E2E_SYSTEM_BUS")
e2e_launch
[[ $(e2e_system_bus_waiting) == 0 ]] || e2e_fail "expected no connection to the system bus before START, saw $(e2e_system_bus_waiting)"
e2e_click_start 2
e2e_expect_flash
e2e_wait 10 "the program's connection waiting at the stalled system bus" e2e_system_bus_asked
e2e_ends_within 1 "system bus stalled, window closed" xdotool mousemove $(e2e_close_button) click 1
kill -CONT "$E2E_SYSTEM_BUS_PID"
e2e_stop "$E2E_SYSTEM_BUS_PID"
E2E_ENV=()

# Everything the end lets go of or waits on, hung at once: the sound server
# and both buses stalled with an inhibitor held on each, the cue file and the
# toolkit's display disconnect hung. The end is one budget: a second in all.
e2e_hold_then_hang
e2e_launch
e2e_click_start
e2e_expect_flash
e2e_stall_everything
e2e_ends_within 1 "everything hung, window closed" xdotool mousemove $(e2e_close_button) click 1
e2e_resume_everything

e2e_launch
e2e_click_start
program=$(e2e_program_pid)
e2e_expect_flash
kill "${E2E_PIDS[0]}" # the X server
e2e_wait 5 "the program to end with its X server" sh -c "! kill -0 $program"
e2e_log "X server killed: the program ended"
e2e_log "passed"
