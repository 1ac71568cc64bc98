#!/usr/bin/env bash
# One whole challenge in real time (99 minutes; not for CI) under Xvfb with the
# sound recorded, sampling the program's memory, CPU time and open files every
# minute. Prints the cues heard and how flat the samples stay.
# Usage: bench/long_run.sh [BUILD-FOLDER]   (default: build)
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/tests/e2e/harness.sh" long-run "${1:-$here/build}"

e2e_start_x
e2e_start_audio
e2e_stage
e2e_launch
e2e_click_start 30
pid=$(e2e_program_pid)
ticks=$(getconf CLK_TCK)
echo "minute,rss_kib,private_kib,cpu_seconds,open_files" >"$ART/samples.csv"
for minute in $(seq 0 100); do
    [[ -d /proc/$pid ]] || break
    rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
    private=$(awk '/^Private_(Clean|Dirty)/ {sum += $2} END {print sum}' "/proc/$pid/smaps_rollup")
    cpu=$(awk -v t="$ticks" '{printf "%.2f", ($14 + $15) / t}' "/proc/$pid/stat")
    files=$(ls "/proc/$pid/fd" | wc -l)
    echo "$minute,$rss,$private,$cpu,$files" | tee -a "$ART/samples.csv"
    xdotool search --onlyvisible --name '^Slonk!$' >/dev/null 2>&1 && break
    sleep 60
done
e2e_finish 300
e2e_expect_exit 10
sleep 0.5
e2e_stop_recorder
e2e_cues "$ART/app/slonk.wav" --count 99 --spacing 60 --tolerance 0.1
"$PYTHON" - "$ART/samples.csv" <<'PY'
import csv, sys
rows = [r for r in csv.DictReader(open(sys.argv[1])) if 2 <= int(r["minute"]) <= 99]
first, last = rows[0], rows[-1]
print(f"minutes {first['minute']} to {last['minute']}: "
      f"RSS {int(first['rss_kib'])} to {int(last['rss_kib'])} KiB "
      f"(growth {int(last['rss_kib']) - int(first['rss_kib'])} KiB), "
      f"open files {first['open_files']} to {last['open_files']}, "
      f"CPU {100 * (float(last['cpu_seconds']) - float(first['cpu_seconds'])) / (60 * (int(last['minute']) - int(first['minute']))):.2f} % of a core")
PY
e2e_log "passed"
