# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Measures Slonk against the baseline on the X and sound servers that
bench/run.sh started: start-up, memory, CPU and wake-ups, and cue latency.
Prints one table row per figure: median and spread (min to max) over runs.

usage: measure.py SLONK BASELINE FIRSTPAINT.so CUE.wav RUNS RUN-SECONDS [PART [LABEL]]
PART is all (the default), startup (start-up and memory only: on Wayland, where
no xdotool clicks START) or latency (the cue latency only: on another sound
server); LABEL follows the name of every figure, as in "(Wayland)".
"""
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "testkit"))
import cues  # noqa: E402  (the cue finder the tests use too)

TITLE = "100 Vured iv 100 Irizeze"
slonk, baseline, shim, cue_wav = sys.argv[1:5]
runs, run_seconds = int(sys.argv[5]), float(sys.argv[6])
part = sys.argv[7] if len(sys.argv) > 7 else "all"
label = f" {sys.argv[8]}" if len(sys.argv) > 8 else ""
rows = []


def row(what, values, unit, goal=""):
    what += label
    values = sorted(values)
    median = statistics.median(values)
    rows.append((what, f"{median:.2f} {unit}", f"{values[0]:.2f} to {values[-1]:.2f}", len(values), goal))
    return median


def launch(command, **stamps):
    env = dict(os.environ, LD_PRELOAD=shim)
    env.update({k: v for k, v in stamps.items()})
    started = time.monotonic_ns()
    return started, subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)


def wait_for(path, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if os.path.exists(path) and os.path.getsize(path) > 0:
            with open(path) as f:
                return f.read().split()
        time.sleep(0.001)
    raise SystemExit(f"expected {path} within {seconds} s")


def status(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def private_kib(pid):
    with open(f"/proc/{pid}/smaps_rollup") as f:
        return sum(int(l.split()[1]) for l in f if l.startswith(("Private_Clean", "Private_Dirty")))


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def switches(pid):
    voluntary = involuntary = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        voluntary += status(f"{pid}/task/{task}", "voluntary_ctxt_switches")
        involuntary += status(f"{pid}/task/{task}", "nonvoluntary_ctxt_switches")
    return voluntary, involuntary


def stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def startup_and_memory():
    figures = {name: {"start": [], "peak": [], "rss": [], "private": []} for name in ("slonk", "baseline")}
    with tempfile.TemporaryDirectory() as folder:
        for run in range(runs):
            for name, command in (("slonk", [slonk]), ("baseline", [baseline])):
                paint = os.path.join(folder, f"{name}-{run}.paint")
                started, process = launch(command, BENCH_PAINT_FILE=paint)
                painted = int(wait_for(paint)[0])
                figures[name]["start"].append((painted - started) / 1e6)
                time.sleep(2)  # settled: steady memory
                figures[name]["peak"].append(status(process.pid, "VmHWM") / 1024)
                figures[name]["rss"].append(status(process.pid, "VmRSS") / 1024)
                figures[name]["private"].append(private_kib(process.pid) / 1024)
                stop(process)
    for key, what, unit, goal in (("start", "start-up, exec to first paint", "ms", "≤ 1.15 × baseline"),
                                  ("peak", "peak RSS", "MiB", "≤ 1.1 × baseline"),
                                  ("rss", "steady RSS", "MiB", "≤ 1.1 × baseline"),
                                  ("private", "steady private memory", "MiB", "≤ 1.1 × baseline")):
        ours = row(f"{what}: Slonk", figures["slonk"][key], unit, goal)
        theirs = row(f"{what}: baseline", figures["baseline"][key], unit)
        rows.append((f"{what}: ratio{label}", f"{ours / theirs:.2f}", "", "", ""))


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def window_of(title):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        found = xdotool("search", "--onlyvisible", "--name", f"^{title}$")
        if found:
            return found[0]
        time.sleep(0.05)
    raise SystemExit(f"expected the window {title}")


def load(pid, seconds, windows):
    """CPU % of one core, wake-ups and context switches a second: one list of
    each, a value per window of the span."""
    cpu, wake, csw = [], [], []
    for _ in range(windows):
        cpu0, (vol0, inv0), t0 = cpu_seconds(pid), switches(pid), time.monotonic()
        time.sleep(seconds / windows)
        cpu1, (vol1, inv1), t1 = cpu_seconds(pid), switches(pid), time.monotonic()
        span = t1 - t0
        cpu.append(100 * (cpu1 - cpu0) / span)
        wake.append((vol1 - vol0) / span)
        csw.append((vol1 + inv1 - vol0 - inv0) / span)
    return cpu, wake, csw


class Recorder(threading.Thread):
    """Reads the sink's monitor in small blocks and stamps each block's arrival,
    so that sample positions map onto the monotonic clock, late by at most the
    capture path's own small delay."""

    def __init__(self):
        super().__init__(daemon=True)
        self.process = subprocess.Popen(
            ["parec", "-d", "rec.monitor", "--raw", "--latency-msec=2", "--rate=44100",
             "--channels=2", "--format=s16le"], stdout=subprocess.PIPE)
        self.data, self.blocks = bytearray(), []  # (frames so far, arrival ns)

    def run(self):
        while True:
            block = self.process.stdout.read1(1024)
            if not block:
                return
            arrived = time.monotonic_ns()
            self.data += block
            self.blocks.append((len(self.data) // 4, arrived))

    def time_of(self, frame):
        """When frame reached the server, from the blocks of the second after it:
        a block arrives no earlier than its last frame, so the earliest says most.
        Local, so that data the server dropped earlier cannot skew it."""
        near = [arrived - (end - frame) * 1e9 / 44100 for end, arrived in self.blocks
                if frame <= end <= frame + 44100]
        return min(near)

    def stop(self):
        self.process.terminate()
        self.join(5)


def running_and_latency(latency_only=False):
    with tempfile.TemporaryDirectory() as folder:
        start_file = os.path.join(folder, "start")
        recorder = Recorder()
        recorder.start()
        _, process = launch([slonk], BENCH_START_FILE=start_file)
        window = window_of(TITLE)
        time.sleep(1)
        if not latency_only:
            cpu, wake, csw = load(process.pid, 20, 4)
            row("idle before START: CPU", cpu, "% of a core", "near 0")
            row("idle before START: wake-ups", wake, "/s")
        xdotool("mousemove", "--window", window, "152", "248", "click", "1")
        started = int(wait_for(start_file)[0])
        time.sleep(0.5)
        cpu, wake, csw = load(process.pid, run_seconds, 6)
        if not latency_only:
            row("running: CPU", cpu, "% of a core", "≤ 1 %")
            row("running: wake-ups", wake, "/s", "≤ 20 /s (the tick rate)")
            row("running: context switches", csw, "/s")
        stop(process)
        time.sleep(0.5)
        recorder.stop()

    # A copy cut short by the stop still has its onset.
    _, spans, partial = cues.find_copies(bytes(recorder.data), (44100, 2, 16), cue_wav)
    frames = sorted([start // 4 for start, _ in spans] + [round(t * 44100) for t in partial])
    onsets = [recorder.time_of(f) for f in frames]
    latencies = [(onset - (started + 60e9 * k)) / 1e6 for k, onset in enumerate(onsets)]
    if latencies:
        row("cue latency, due to onset at the server", latencies, "ms", "median ≤ 50, worst ≤ 90")
    if latency_only:
        return

    _, process = launch([baseline, "labels"])
    window_of("baseline")
    time.sleep(1)
    cpu, wake, csw = load(process.pid, min(run_seconds, 60), 3)
    row("baseline, four labels every 50 ms: CPU", cpu, "% of a core")
    row("baseline, four labels every 50 ms: wake-ups", wake, "/s")
    row("baseline, four labels every 50 ms: context switches", csw, "/s")
    stop(process)


if part in ("all", "startup"):
    startup_and_memory()
if part in ("all", "latency"):
    running_and_latency(latency_only=part == "latency")
print("| figure | median | spread | runs | goal |")
print("|---|---|---|---|---|")
for what, median, spread, count, goal in rows:
    print(f"| {what} | {median} | {spread} | {count} | {goal} |")
