# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""What the running window costs while it can be seen and while it cannot, on
the X server bench/run.sh started: Slonk beside the yardstick (the same window
on a naive 50 ms timer, bench/yardstick.cpp), each through one minute shown,
minimised, then shown again. Per phase: CPU (% of a core), wake-ups a second
(voluntary and involuntary context switches of all threads) and, while shown,
the pixels the X server was given per repaint; per thread for Slonk. Writes the
wake-ups of every second of Slonk's first run to TIMELINE.csv and plots them in
TIMELINE.svg. Figures only: it never fails for one.

usage: visibility.py SLONK YARDSTICK XWATCH RUNS PHASE-SECONDS TIMELINE
"""
import collections
import os
import statistics
import subprocess
import sys
import time

TITLE = "100 Vured iv 100 Irizeze"
START_AT = ("152", "248")
PHASES = ("shown", "minimised", "shown again")
slonk, yardstick, xwatch = sys.argv[1:4]
runs, phase_seconds, timeline = int(sys.argv[4]), float(sys.argv[5]), sys.argv[6]


def threads(pid):
    """Per thread id: name, CPU ns and context switches so far."""
    found = {}
    for task in os.listdir(f"/proc/{pid}/task"):
        base = f"/proc/{pid}/task/{task}"
        try:
            with open(f"{base}/comm") as f:
                name = f.read().strip()
            with open(f"{base}/schedstat") as f:
                ns = int(f.read().split()[0])
            with open(f"{base}/status") as f:
                switched = sum(int(line.split()[1]) for line in f if "ctxt_switches" in line)
        except (FileNotFoundError, ProcessLookupError):  # a thread that just ended
            continue
        found[task] = (name, ns, switched)
    return found


def span(pid, seconds, window=None, each_second=None):
    """CPU %, wake-ups /s, per thread (wake-ups /s, CPU %) and, given a window,
    pixels given to the X server per repaint, over the span."""
    damage = None
    if window:
        damage = subprocess.Popen([xwatch, "damage", window, str(seconds)],
                                  stdout=subprocess.PIPE, text=True)
    before, t0 = threads(pid), time.monotonic()
    previous = before
    while time.monotonic() < t0 + seconds:
        time.sleep(min(1.0, t0 + seconds - time.monotonic()))
        if each_second is not None:
            now = threads(pid)
            each_second.append(sum(s for _, _, s in now.values()) -
                               sum(s for _, _, s in previous.values()))
            previous = now
    after, t1 = threads(pid), time.monotonic()
    elapsed = t1 - t0
    per_thread = collections.defaultdict(lambda: [0.0, 0.0])
    for task, (name, ns, switched) in after.items():
        _, ns0, switched0 = before.get(task, (name, 0, 0))
        per_thread[name][0] += (switched - switched0) / elapsed
        per_thread[name][1] += 100 * (ns - ns0) / 1e9 / elapsed
    result = {"cpu": sum(c for _, c in per_thread.values()),
              "wake": sum(w for w, _ in per_thread.values()), "threads": dict(per_thread)}
    if damage:
        _, updates, _, pixels = damage.communicate()[0].split()
        result["pixels"] = int(pixels) / max(int(updates), 1)
    return result


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def wait(what, test, seconds=10):
    deadline = time.monotonic() + seconds
    while not test():
        if time.monotonic() > deadline:
            raise SystemExit(f"expected {what} within {seconds} s")
        time.sleep(0.02)


def mapped(window):
    return "IsViewable" in subprocess.run(["xwininfo", "-id", window], capture_output=True,
                                          text=True).stdout


def session(program, each_second):
    known = set(xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$"))
    process = subprocess.Popen([program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        windows = []
        wait("the window", lambda: windows.extend(
            set(xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$")) - known) or windows,
            20)
        window = windows[0]
        time.sleep(1)  # the first frame and the icons
        subprocess.run(["xdotool", "mousemove", "--window", window, *START_AT, "click", "1"],
                       check=True)
        subprocess.run(["xdotool", "mousemove", "0", "0"], check=True)
        time.sleep(1)
        figures = {"shown": span(process.pid, phase_seconds, window, each_second)}
        subprocess.run(["xdotool", "windowminimize", window], check=True)
        wait("the window minimised", lambda: not mapped(window))
        figures["minimised"] = span(process.pid, phase_seconds, None, each_second)
        subprocess.run(["xdotool", "windowactivate", window], check=True)
        wait("the window shown again", lambda: mapped(window))
        figures["shown again"] = span(process.pid, phase_seconds, window, each_second)
        return figures
    finally:
        process.terminate()
        process.wait()


def plot(seconds_counts, path):
    """Wake-ups each second, phase by phase, as a small SVG line chart."""
    width, height, left, bottom = 640, 240, 50, 30
    top = max(max(seconds_counts), 1)
    scale_x = (width - left - 10) / max(len(seconds_counts) - 1, 1)
    scale_y = (height - bottom - 10) / top
    points = " ".join(f"{left + i * scale_x:.1f},{height - bottom - n * scale_y:.1f}"
                      for i, n in enumerate(seconds_counts))
    phase = len(seconds_counts) / 3
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
             'font-family="sans-serif" font-size="11">',
             f'<rect width="{width}" height="{height}" fill="white"/>',
             f'<line x1="{left}" y1="{height - bottom}" x2="{width - 10}" y2="{height - bottom}" '
             'stroke="black"/>',
             f'<line x1="{left}" y1="10" x2="{left}" y2="{height - bottom}" stroke="black"/>',
             f'<text x="4" y="14">{top}/s</text><text x="4" y="{height - bottom}">0</text>']
    for i, name in enumerate(PHASES):
        x = left + i * phase * scale_x
        parts.append(f'<line x1="{x:.1f}" y1="10" x2="{x:.1f}" y2="{height - bottom}" '
                     'stroke="#bbb"/>')
        parts.append(f'<text x="{x + 4:.1f}" y="{height - 10}">{name}</text>')
    parts.append(f'<polyline points="{points}" fill="none" stroke="#c00" stroke-width="1.5"/>')
    parts.append("</svg>")
    with open(path, "w") as f:
        f.write("\n".join(parts) + "\n")


def main():
    figures = {"Slonk": collections.defaultdict(list), "yardstick": collections.defaultdict(list)}
    timeline_counts = []
    for run in range(runs):
        for name, program in (("Slonk", slonk), ("yardstick", yardstick)):
            record = timeline_counts if run == 0 and name == "Slonk" else None
            for phase, result in session(program, record).items():
                figures[name][phase].append(result)
    with open(f"{timeline}.csv", "w") as f:
        f.write("second,wake-ups\n")
        f.writelines(f"{i + 1},{n}\n" for i, n in enumerate(timeline_counts))
    plot(timeline_counts, f"{timeline}.svg")

    def med(name, phase, key):
        values = [r[key] for r in figures[name][phase] if key in r]
        return statistics.median(values) if values else float("nan")

    print(f"Shown and minimised, {runs} runs of {phase_seconds:.0f} s a phase (medians):")
    print(f"  {'phase':12} {'':10} {'CPU % of a core':>16} {'wake-ups/s':>11} {'px/repaint':>11}")
    for phase in PHASES:
        for name in figures:
            print(f"  {phase:12} {name:10} {med(name, phase, 'cpu'):16.3f} "
                  f"{med(name, phase, 'wake'):11.1f} {med(name, phase, 'pixels'):11.0f}")
        ratio = med("Slonk", phase, "cpu") / med("yardstick", phase, "cpu")
        print(f"  {phase:12} {'ratio':10} {ratio:16.2f}")
    print("  Slonk by thread (wake-ups/s, CPU %):")
    for phase in PHASES:
        names = sorted({n for r in figures["Slonk"][phase] for n in r["threads"]})
        cells = []
        for n in names:
            wake = statistics.median(r["threads"].get(n, (0, 0))[0] for r in figures["Slonk"][phase])
            cpu = statistics.median(r["threads"].get(n, (0, 0))[1] for r in figures["Slonk"][phase])
            if wake >= 0.05 or cpu >= 0.001:
                cells.append(f"{n} {wake:.1f}/s {cpu:.3f}%")
        print(f"    {phase:12} " + ("; ".join(cells) or "nothing woke"))
    print(f"  Wake-ups each second of Slonk's first run: {timeline}.csv, {timeline}.svg")


main()
