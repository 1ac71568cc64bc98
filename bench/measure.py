# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Measures Slonk against two yardsticks on the X and sound servers that
bench/run.sh started: the same window without sound, session bus,
accessibility or icon (bench/yardstick.cpp), and an empty Qt window
(bench/baseline.cpp). The three run in turn within each run (Slonk, yardstick,
baseline, Slonk, ...), so a busier moment of the machine falls on all of them.
Prints one table (median and min to max over runs, and Slonk's ratios), where
Slonk's memory above the yardstick's lies, and whether each goal is met.

usage: measure.py SLONK YARDSTICK BASELINE FIRSTPAINT.so CUE.wav RUNS RUN-SECONDS [PART [LABEL]]
PART is all (the default), startup (start-up and memory before START only: on
Wayland, where no xdotool clicks START) or latency (Slonk's cue latency only: on
another sound server); LABEL follows the name of every figure, as in "(Wayland)".
Figures only: it never fails for one.
"""
import collections
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
START_AT = ("152", "248")  # the middle of START, in the window's pixels
IDLE_AFTER = 15  # s without input before idle is measured: the cursor stops blinking
IDLE_SECONDS = 10
EXTRA_LAUNCHES = 4  # start-up only, each run, before the run's full sessions
slonk, yardstick, baseline, shim, cue_wav = sys.argv[1:6]
runs, run_seconds = int(sys.argv[6]), float(sys.argv[7])
part = sys.argv[8] if len(sys.argv) > 8 else "all"
label = f" {sys.argv[9]}" if len(sys.argv) > 9 else ""
PROGRAMS = {"Slonk": ([slonk], TITLE), "yardstick": ([yardstick], TITLE),
            "baseline": ([baseline], "baseline")}
FIGURES = {  # key: what, unit
    "start": ("start-up, exec to first paint", "ms"),
    "rss": ("RSS before START", "MiB"),
    "private": ("private dirty memory before START", "MiB"),
    "idle_cpu": (f"idle before START ({IDLE_AFTER} s on, {IDLE_SECONDS} s): CPU", "% of a core"),
    "idle_wake": (f"idle before START ({IDLE_AFTER} s on, {IDLE_SECONDS} s): wake-ups", "/s"),
    "run_cpu": ("running: CPU", "% of a core"),
    "run_wake": ("running: wake-ups", "/s"),
    "run_csw": ("running: context switches", "/s"),
    "run_rss": ("RSS after START (end of running)", "MiB"),
    "run_private": ("private dirty memory after START", "MiB"),
    "latency": ("cue latency, deciding tick to onset at the server", "ms"),
    "latency_first": ("cue latency: the first cue, 50 ms after START (the sound's first use)",
                      "ms"),
    "latency_later": ("cue latency: the cues after it", "ms"),
}
figures = collections.defaultdict(lambda: collections.defaultdict(list))
notes = []


def launch(command, **stamps):
    env = dict(os.environ, LD_PRELOAD=shim)
    env.update(stamps)
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
    """Private dirty memory: what the program wrote and no one shares (heap,
    stacks, relocated data). Private clean pages are left out: library pages
    count as private only while no other process maps that library."""
    with open(f"/proc/{pid}/smaps_rollup") as f:
        return sum(int(l.split()[1]) for l in f if l.startswith("Private_Dirty"))


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def switches(pid):
    """Per thread: name, voluntary and involuntary context switches so far."""
    threads = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as f:
                name = f.read().strip()
            threads[task] = (name, status(f"{pid}/task/{task}", "voluntary_ctxt_switches"),
                             status(f"{pid}/task/{task}", "nonvoluntary_ctxt_switches"))
        except FileNotFoundError:  # a thread that just ended
            pass
    return threads


def load(pid, seconds):
    """CPU % of one core, wake-ups and context switches a second over the span,
    and the wake-ups a second of each thread that woke."""
    cpu0, threads0, t0 = cpu_seconds(pid), switches(pid), time.monotonic()
    time.sleep(seconds)
    cpu1, threads1, t1 = cpu_seconds(pid), switches(pid), time.monotonic()
    span = t1 - t0
    by_thread = collections.Counter()
    voluntary = involuntary = 0
    for task, (name, vol, inv) in threads1.items():
        _, vol0, inv0 = threads0.get(task, (name, 0, 0))
        voluntary += vol - vol0
        involuntary += inv - inv0
        if vol > vol0:
            by_thread[name] += (vol - vol0) / span
    return (100 * (cpu1 - cpu0) / span, voluntary / span, (voluntary + involuntary) / span,
            by_thread)


def stop(process):
    process.terminate()
    try:
        process.wait(5)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


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

    def onsets(self):
        """The monotonic instants (ns) at which copies of the cue began; a copy
        cut short by the stop still has its onset."""
        self.process.terminate()
        self.join(5)
        _, spans, partial = cues.find_copies(bytes(self.data), (44100, 2, 16), cue_wav)
        frames = sorted([start // 4 for start, _ in spans] + [round(t * 44100) for t in partial])
        return [self.time_of(f) for f in frames]


def latencies(dues, onsets):
    """Due instant to onset (ms) of each due cue that was heard, None for one
    not heard; the onset of a cue lies after its due instant and before the next one's."""
    heard = []
    for due in dues:
        after = [o for o in onsets if due - 10e6 <= o < due + 30e9]
        heard.append((min(after) - due) / 1e6 if after else None)
    if None in heard:
        notes.append(f"cue latency{label}: {heard.count(None)} of {len(dues)} due cues "
                     "not found in the recording")
    return heard


def start_up(name, paint, **stamps):
    """Launches the program and times it to its first paint; returns it running."""
    time.sleep(0.5)  # the previous program's window gone from the X server and window manager
    started, process = launch(PROGRAMS[name][0], BENCH_PAINT_FILE=paint, **stamps)
    painted = int(wait_for(paint)[0])
    figures["start"][name].append((painted - started) / 1e6)
    return started, process


def session(name, run, folder):
    """One run of one program: start-up, memory, idle, then START and running."""
    title = PROGRAMS[name][1]
    paint = os.path.join(folder, f"{name}-{run}.paint")
    start_file = os.path.join(folder, f"{name}-{run}.start")
    ticks_file = os.path.join(folder, f"{name}-{run}.ticks")
    started, process = start_up(name, paint, BENCH_START_FILE=start_file,
                                BENCH_TICKS_FILE=ticks_file)
    time.sleep(2)  # settled: steady memory
    figures["rss"][name].append(status(process.pid, "VmRSS") / 1024)
    figures["private"][name].append(private_kib(process.pid) / 1024)
    if part == "startup":
        return stop(process)

    window = window_of(title)
    if part != "latency":
        time.sleep(max(0.0, started / 1e9 + IDLE_AFTER - time.monotonic()))
        cpu, wake, _, by_thread = load(process.pid, IDLE_SECONDS)
        figures["idle_cpu"][name].append(cpu)
        figures["idle_wake"][name].append(wake)
        if by_thread:
            woke = ", ".join(f"{thread} {rate:.1f}/s" for thread, rate in by_thread.most_common())
            notes.append(f"idle wake-ups{label}, {name}, run {run + 1}, by thread: {woke}")
    if name == "baseline":  # nothing to START
        return stop(process)

    if os.path.exists(start_file):
        raise SystemExit(f"{name} read the boot clock before START: its START instant is unknown")
    recorder = Recorder() if name == "Slonk" else None
    if recorder:
        recorder.start()
        time.sleep(0.2)  # the recorder's stream up at the server
    xdotool("mousemove", "--window", window, *START_AT, "click", "1")
    wait_for(start_file)  # the program has STARTed
    time.sleep(0.5)
    if part == "latency":
        time.sleep(run_seconds)
    else:
        cpu, wake, csw, _ = load(process.pid, run_seconds)
        figures["run_cpu"][name].append(cpu)
        figures["run_wake"][name].append(wake)
        figures["run_csw"][name].append(csw)
        figures["run_rss"][name].append(status(process.pid, "VmRSS") / 1024)
        figures["run_private"][name].append(private_kib(process.pid) / 1024)
    stopped = time.monotonic_ns()
    stop(process)
    if recorder:
        time.sleep(0.5)
        # Cues decided long enough before the stop to have reached the server;
        # each is due at the tick that decided it.
        with open(ticks_file) as f:
            ticks = [int(line.split()[0]) for line in f if line.strip()]
        dues = [tick for tick in ticks if tick < stopped - 0.3e9]
        heard = latencies(dues, recorder.onsets())
        figures["latency"][name] += [h for h in heard if h is not None]
        figures["latency_first"][name] += [h for h in heard[:1] if h is not None]
        figures["latency_later"][name] += [h for h in heard[1:] if h is not None]


def mappings(pid):
    """RSS and private dirty KiB of each mapped file ([heap], [anon] and the like for
    the rest), from /proc/PID/smaps."""
    sizes = collections.defaultdict(lambda: [0, 0])
    where = "[anon]"
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            fields = line.split()
            if "-" in fields[0] and not fields[0].endswith(":"):
                path = fields[5] if len(fields) > 5 else "[anon]"
                where = os.path.basename(path) if path.startswith("/") else path
                if where.startswith("[anon:") or where.startswith("[stack:"):
                    where = "[anon]"
            elif fields[0] == "Rss:":
                sizes[where][0] += int(fields[1])
            elif fields[0] == "Private_Dirty:":
                sizes[where][1] += int(fields[1])
    return sizes


def memory_by_mapping():
    """Where Slonk's RSS before START exceeds the yardstick's: file by file."""
    sizes = {}
    with tempfile.TemporaryDirectory() as folder:
        for name in ("Slonk", "yardstick"):
            paint = os.path.join(folder, f"{name}.paint")
            _, process = launch(PROGRAMS[name][0], BENCH_PAINT_FILE=paint)
            wait_for(paint)
            time.sleep(2)
            sizes[name] = mappings(process.pid)
            stop(process)
    ours, theirs = sizes["Slonk"], sizes["yardstick"]
    total = sum(v[0] for v in ours.values()) - sum(v[0] for v in theirs.values())
    print(f"\nSlonk's RSS above the yardstick's before START{label}: {total / 1024:.1f} MiB, "
          f"{len(ours)} mappings against {len(theirs)}; "
          "each file (or kind of anonymous memory) that differs by 64 KiB or more:\n")
    print("| mapped | Slonk RSS | yardstick RSS | difference | Slonk private dirty |")
    print("|---|---|---|---|---|")
    rest = total
    for where in sorted(set(ours) | set(theirs),
                        key=lambda w: theirs.get(w, [0])[0] - ours.get(w, [0])[0]):
        (rss, private), (their_rss, _) = ours.get(where, (0, 0)), theirs.get(where, (0, 0))
        if abs(rss - their_rss) >= 64:
            rest -= rss - their_rss
            shown = where if where in theirs else f"{where} (Slonk only)"
            print(f"| {shown} | {rss / 1024:.2f} MiB | {their_rss / 1024:.2f} MiB "
                  f"| {(rss - their_rss) / 1024:+.2f} MiB | {private / 1024:.2f} MiB |")
    print(f"| everything else | | | {rest / 1024:+.2f} MiB | |")


def cell(values, unit):
    if not values:
        return ""
    return f"{statistics.median(values):.2f} {unit} ({min(values):.2f}–{max(values):.2f})"


def ratio(key, name):
    ours, theirs = figures[key]["Slonk"], figures[key][name]
    if not ours or not theirs or statistics.median(theirs) == 0:
        return ""
    return f"{statistics.median(ours) / statistics.median(theirs):.2f} ×"


def median(key, name="Slonk"):
    values = figures[key][name]
    return statistics.median(values) if values else None


def goal(what, met, figures_text):
    if met is None:
        return
    print(f"- {what}{label}: {'met' if met else 'NOT met'} ({figures_text})")


def report():
    print(f"\n{runs} runs{label}, medians (min–max); start-up over {EXTRA_LAUNCHES + 1} launches "
          "a run; ratios are Slonk's medians over the yardsticks'. "
          "The empty baseline has no START: its after-START cells stay empty, and "
          "after-START ratios are against the same-window yardstick only.\n")
    print("| figure | Slonk | same-window yardstick | empty baseline | Slonk ÷ yardstick "
          "| Slonk ÷ baseline |")
    print("|---|---|---|---|---|---|")
    for key, (what, unit) in FIGURES.items():
        if figures[key] and (part != "latency" or key.startswith("latency")):
            row = [cell(figures[key][name], unit) for name in PROGRAMS]
            print(f"| {what}{label} | {' | '.join(row)} | {ratio(key, 'yardstick')} "
                  f"| {ratio(key, 'baseline')} |")
    for note in notes:
        print(f"- {note}")

    print("\nGoals:")
    s, y = median("start"), median("start", "yardstick")
    if y is not None:
        goal("start-up ≤ 1.10 × the same-window yardstick", s <= 1.10 * y,
             f"{s:.1f} ms against {y:.1f} ms: {s / y:.2f} ×")
        s, y = median("rss"), median("rss", "yardstick")
        goal("RSS before START ≤ 1.10 × the same-window yardstick", s <= 1.10 * y,
             f"{s:.1f} MiB against {y:.1f} MiB: {s / y:.2f} ×")
    s, y = median("run_cpu"), median("run_cpu", "yardstick")
    if y is not None:
        goal("CPU while running ≤ the same-window yardstick's", s <= y,
             f"{s:.2f} % against {y:.2f} % of a core")
    if figures["idle_wake"]["yardstick"]:
        wake = figures["idle_wake"]["Slonk"]
        goal(f"no wake-ups idle before START, {IDLE_AFTER} s after the last input", max(wake) == 0,
             f"median {statistics.median(wake):.2f} /s, most {max(wake):.2f} /s; yardstick "
             f"{median('idle_wake', 'yardstick'):.2f} /s, baseline {median('idle_wake', 'baseline'):.2f} /s")
    late = figures["latency"]["Slonk"]
    if late:
        goal("cue latency median ≤ 50 ms, worst ≤ 90 ms",
             statistics.median(late) <= 50 and max(late) <= 90,
             f"median {statistics.median(late):.1f} ms, worst {max(late):.1f} ms, {len(late)} cues")


order = ["Slonk"] if part == "latency" else list(PROGRAMS)
with tempfile.TemporaryDirectory() as folder:
    for run in range(runs):
        # Start-up varies by a third from one launch to the next on a VM: more
        # launches of each, interleaved, than the runs alone would give.
        for launch_no in range(EXTRA_LAUNCHES if part != "latency" else 0):
            for name in order:
                stop(start_up(name, os.path.join(folder, f"{name}-{run}-{launch_no}.paint"))[1])
        for name in order:
            session(name, run, folder)
report()
if part != "latency":
    memory_by_mapping()
