#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers
# The benchmarks in one command: builds a Release build, then prints the tick
# costs and one table of start-up, memory, CPU, wake-ups and cue latency
# against two yardsticks, the same window without sound, session bus,
# accessibility or icon, and an empty Qt window, on Xvfb with openbox and a
# private PulseAudio; the cue latency again with PipeWire, and start-up and
# memory again natively on Wayland (headless weston); what the running window
# costs shown, hidden and shown again, on X11 and natively on nested weston
# (bench/visibility.py, about 75 s a run and program on Wayland); and the
# schedule accuracy of a whole challenge at a hundred times real speed.
# Figures only: it never fails for a figure. Takes about 40 minutes with the
# defaults: each run holds 25 s of idle and RUNNING-SECONDS of running for Slonk
# and the yardstick, and RUNNING-SECONDS for Slonk on PipeWire.
# Usage: bench/run.sh [RUNS] [RUNNING-SECONDS]   (defaults 5 and 60)
set -euo pipefail
runs=${1:-5} running_seconds=${2:-60}
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
scripts/deps.sh test
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-release >/dev/null

echo "Machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)," \
     "$(free -g | awk '/Mem:/ {print $2}') GiB, $(. /etc/os-release && echo "$PRETTY_NAME")," \
     "Qt $(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null)"
build-release/bench/tick_bench
build-release/bench/tick_window_bench 2>/dev/null
dbus-run-session -- build-release/bench/finish_bench build-release/testkit/fake_screensaver \
    2>/dev/null

# measure [WHAT LABEL]: bench/measure.py on the rig the enclosing block started.
measure() {
    "$PYTHON" bench/measure.py build-release/bin/slonk build-release/bench/yardstick \
        build-release/bench/baseline build-release/testkit/firstpaint.so assets/slonk.wav \
        "$runs" "$running_seconds" "$@"
}

(
    source testkit/harness.sh bench "$here/build-release"
    e2e_start_x
    e2e_start_audio
    measure
)
(
    source testkit/harness.sh bench-visibility "$here/build-release"
    e2e_start_x
    e2e_start_audio
    "$PYTHON" bench/visibility.py x11 build-release/bin/slonk build-release/bench/yardstick \
        build-release/bench/xwatch "$runs" 20 "$ART/wakeups"
)
# Workspaces, the one way to hide a window from weston from outside, are gone
# after weston 10 (14 and 16 have none).
weston_major=$(weston --version | sed -n 's/^weston \([0-9]*\).*/\1/p')
if ((weston_major > 10)); then
    echo "Shown and hidden on Wayland: skipped, weston $weston_major has no workspaces to hide a window on"
else (
    source testkit/harness.sh bench-visibility-wayland "$here/build-release"
    source testkit/wayland.sh
    e2e_start_x
    e2e_start_audio
    e2e_start_weston nested 2
    DISPLAY=$E2E_X_DISPLAY "$PYTHON" bench/visibility.py wayland build-release/bin/slonk \
        build-release/bench/yardstick "$E2E_WESTON_WINDOW" "$runs" 20 "$ART/wakeups"
) fi
(
    source testkit/harness.sh bench-pipewire "$here/build-release"
    source testkit/pipewire.sh
    e2e_start_x
    e2e_start_pipewire
    measure latency "(PipeWire)"
)
(
    source testkit/harness.sh bench-wayland "$here/build-release"
    source testkit/pipewire.sh
    source testkit/wayland.sh
    e2e_start_weston
    e2e_start_pipewire
    measure startup "(Wayland)"
)
echo "Schedule accuracy of a whole challenge at x100 (the end-to-end full challenge):"
bench/schedule.sh build-release
