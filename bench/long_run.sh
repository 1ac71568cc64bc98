#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# One whole challenge in real time (99 minutes; not for CI) under Xvfb with the
# sound recorded, sampling the program's memory, CPU time and open files every
# minute into build/e2e/long-run/samples.csv. Prints the cues heard and how
# flat the samples stay; `--report` prints the same for a run still going or
# cut short.
# Usage: bench/long_run.sh [--report] [BUILD-FOLDER]   (default: build)
here=$(cd "$(dirname "$0")/.." && pwd)
report_only=
[[ ${1:-} == --report ]] && { report_only=1; shift; }
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
e2e_start_audio
e2e_stage
e2e_launch
e2e_click_start 30
pid=$(e2e_program_pid)
ticks=$(getconf CLK_TCK)
echo "minute,rss_kib,private_kib,cpu_seconds,open_files,phase" >"$ART/samples.csv"
for minute in $(seq 0 100); do
    [[ -d /proc/$pid ]] || e2e_fail "expected the program running at minute $minute, it is gone"
    # The finish decodes the smiley and opens the box, so a sample taken once
    # the box shows is kept apart from the running ones.
    phase=running
    xdotool search --onlyvisible --name '^Slonk!$' >/dev/null 2>&1 && phase=finish
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
    private=$(awk '/^Private_(Clean|Dirty)/ {sum += $2} END {print sum}' "/proc/$pid/smaps_rollup")
    cpu=$(awk -v t="$ticks" '{printf "%.2f", ($14 + $15) / t}' "/proc/$pid/stat")
    files=$(ls "/proc/$pid/fd" | wc -l)
    echo "$minute,$rss,$private,$cpu,$files,$phase" | tee -a "$ART/samples.csv"
    [[ $phase == finish ]] && break
    sleep 60
done
e2e_finish 300
e2e_expect_exit 10
sleep 0.5
e2e_stop_recorder
e2e_cues "$ART/app/slonk.wav" --count 99 --spacing 60 --tolerance 0.1
report
e2e_log "passed"
