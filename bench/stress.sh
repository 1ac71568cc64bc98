#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# Whole challenges at a hundred times speed, natively on Wayland, recorded at
# the sound server, again and again on PipeWire and on PulseAudio: every one
# must hold 99 whole cues and nothing else. Prints a line a run and a summary;
# fails if any run falls short. Not in CI: about 65 s a run.
# Each run's line also says how many graph cycles PipeWire's clients missed,
# and how many of those fell while the machine left a CPU unrun for over
# 10 ms (bench/rt_stalls.c watches beside the run; a cycle is 23 ms, and the
# probe, woken every 5 ms, can see less of a hold than there was).
# Usage: bench/stress.sh [RUNS-PER-SERVER [BUILD-FOLDER [SERVER...]]]
#        (defaults 20, build, and both pipewire and pulseaudio)
# Timing-sensitive: run nothing else that is timed beside it.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/testkit/pipewire.sh" # e2e_missed_cycles
runs=${1:-20}
build=$(realpath "${2:-$here/build}")
servers=("${@:3}")
[[ ${#servers[@]} -gt 0 ]] || servers=(pipewire pulseaudio)
[[ -x $build/bin/slonk ]] || { echo "no program in $build: build it first" >&2; exit 2; }
mkdir -p "$build/e2e"

# whole / partial / other sound in a run's recording.
tally() {
    /usr/bin/python3 -c '
import sys
sys.path.insert(0, sys.argv[1])
import cues
rate, channels, bits, recording = cues.read_pcm(sys.argv[2])
onsets, spans, partial = cues.find_copies(recording, (rate, channels, bits), sys.argv[3])
edges = [0] + [e for span in spans for e in span] + [len(recording)]
frame = channels * bits // 8
cut = [round(t * rate) * frame for t in partial]
other = sum(1 for a, b in zip(edges[0::2], edges[1::2])
            if recording[a:b].strip(b"\0") and not any(a <= c < b for c in cut))
print(len(onsets), len(partial), other)
' "$here/testkit" "$1" "$2"
}

failed=0
declare -A passed
for server in "${servers[@]}"; do
    passed[$server]=0
    for run in $(seq "$runs"); do
        log=$build/e2e/stress-$server-$run.log
        verdict=ok
        # Beside each run, how late the machine wakes a real-time thread: a
        # sound server's has one graph cycle for its share.
        stalls=$build/e2e/stress-$server-$run.stalls
        "$build/bench/rt_stalls" 10 >"$stalls" &
        probe=$!
        bash "$here/tests/e2e/wayland_full_challenge.sh" "$build" "$server" >"$log" 2>&1 || verdict=FAILED
        kill "$probe" 2>/dev/null || true
        wait "$probe" 2>/dev/null || true
        art=$build/e2e/wayland-full-challenge-$server
        read -r whole partial other < <(tally "$art/recording.wav" "$art/app/slonk.wav" 2>/dev/null ||
            echo "? ? ?")
        if [[ $verdict == ok && $whole == 99 && $partial == 0 && $other == 0 ]]; then
            passed[$server]=$((passed[$server] + 1))
        else
            failed=1
            # Kept apart: the next run starts the artefacts afresh.
            rm -rf "$build/e2e/stress-$server-$run"
            cp -r "$art" "$build/e2e/stress-$server-$run"
        fi
        missed=""
        [[ $server != pipewire ]] || missed=$(e2e_missed_cycles "$art" "" "$stalls" |
            awk '{ print "; graph cycles missed: " $1 ", " $2 " of them while a CPU was held" }')
        held=$(awk '$3 > worst { worst = $3 }
                    END { if (worst) printf "; a CPU held up to %.0f ms", worst
                          else printf "; no CPU held over 10 ms" }' "$stalls")
        echo "$server run $run: $whole whole cues, $partial partial, $other other sound; $verdict" \
             "$(grep -o 'gaps .*' "$log" | head -n 1)$missed$held"
    done
done
for server in "${servers[@]}"; do
    echo "Summary: $server ${passed[$server]} of $runs runs with 99 whole cues and nothing else"
done
exit $failed
