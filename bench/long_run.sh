#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# One whole challenge in real time (99 minutes; not for CI) under Xvfb with the
# sound recorded, sampling the program's memory, CPU time and open files, and
# the CPU time of the X server and the window manager, every minute into
# build/e2e/long-run/samples.csv. Prints the cues heard and how flat the
# samples stay, and fails when the last minutes cost more CPU than the first;
# `--report` prints the same for a run still going or cut short.
# `--speed N` runs the program's clocks N times as fast under libfaketime and
# samples every program minute: a cost that grows with the challenge's time or
# its cues shows in 99/N minutes (x10 keeps the ticks of a core's share).
# Usage: bench/long_run.sh [--report] [--speed N] [BUILD-FOLDER]   (default: build, 1)
here=$(cd "$(dirname "$0")/.." && pwd)
report_only=
speed=1
[[ ${1:-} == --report ]] && { report_only=1; shift; }
[[ ${1:-} == --speed ]] && { speed=$2; shift 2; }
[[ $speed =~ ^[1-9][0-9]*$ ]] || { echo "long_run.sh: --speed takes a whole number, not '$speed'" >&2; exit 2; }
build=$(realpath "${1:-$here/build}")
art=$build/e2e/long-run

report() {
    /usr/bin/python3 "$here/bench/long_run_report.py" "$art/samples.csv" "$art/recording.wav" \
        "$art/app/slonk.wav"
}

if [[ -n $report_only ]]; then
    report
    exit
fi

source "$here/testkit/harness.sh" long-run "$build"
export E2E_TIMEOUT=7200
e2e_start_x
xserver=${E2E_PIDS[0]} wm=${E2E_PIDS[1]}
e2e_start_audio
e2e_stage
if ((speed == 1)); then e2e_launch; else e2e_launch "+0 x$speed"; fi
e2e_click_start 30
pid=$(e2e_program_pid)
ticks=$(getconf CLK_TCK)
cpu_of() { awk -v t="$ticks" '{printf "%.2f", ($14 + $15) / t}' "/proc/$1/stat"; }
echo "minute,rss_kib,private_kib,cpu_seconds,open_files,phase,xserver_cpu_seconds,wm_cpu_seconds" \
    >"$ART/samples.csv"
# Samples on a grid of real time from START, so that sampling's own time
# does not stretch the minutes.
interval_us=$((60000000 / speed))
started_us=${EPOCHREALTIME/./}
for minute in $(seq 0 100); do
    [[ -d /proc/$pid ]] || e2e_fail "expected the program running at minute $minute, it is gone"
    # The finish decodes the smiley and opens the box, so a sample taken once
    # the box shows is kept apart from the running ones.
    phase=running
    xdotool search --onlyvisible --name '^Slonk!$' >/dev/null 2>&1 && phase=finish
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
    private=$(awk '/^Private_(Clean|Dirty)/ {sum += $2} END {print sum}' "/proc/$pid/smaps_rollup")
    cpu=$(cpu_of "$pid")
    files=$(ls "/proc/$pid/fd" | wc -l)
    echo "$minute,$rss,$private,$cpu,$files,$phase,$(cpu_of "$xserver"),$(cpu_of "$wm")" |
        tee -a "$ART/samples.csv"
    [[ $phase == finish ]] && break
    wait_us=$((started_us + (minute + 1) * interval_us - ${EPOCHREALTIME/./}))
    ((wait_us <= 0)) || sleep "$(printf '%d.%06d' $((wait_us / 1000000)) $((wait_us % 1000000)))"
done
e2e_finish 300
e2e_expect_exit 10
sleep 0.5
e2e_stop_recorder
# A tenth of a second of real time either way, in the program's seconds.
e2e_cues "$ART/app/slonk.wav" --count 99 --speed "$speed" --spacing 60 --tolerance "$(awk -v s="$speed" 'BEGIN {print 0.1 * s}')"
report
e2e_log "passed"
