# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""What the running window costs while it can be seen and while it cannot:
Slonk beside the yardstick (the same window on a naive 50 ms timer,
bench/yardstick.cpp), each after START through PHASE-SECONDS shown, hidden,
then shown again. Per phase: CPU (% of a core), wake-ups a second (voluntary
and involuntary context switches of all threads) and, while shown, the pixels
given to the display server per repaint; per thread for Slonk. Writes the
wake-ups of every second of Slonk's first run to TIMELINE.csv and plots them in
TIMELINE.svg. Figures only: it never fails for one, but it does when the rig
does not behave (a window that never shows, a hide that does not happen).

Two rigs, as bench/run.sh starts them:
- x11: the X server in $DISPLAY with openbox. Hidden is minimised (openbox
  unmaps the window); the pixels per repaint come from X Damage (XWATCH) over
  the very span measured, which costs the X server, not the program.
- wayland: the programs as native clients of weston ($WAYLAND_DISPLAY), nested
  in a window (WESTON-WINDOW) on the X server in $DISPLAY, whose keyboard is
  then weston's. weston 10 minimises nothing from outside (no key binding, and
  the program's own title bar has no minimise button): hidden is weston turned
  to its other workspace, where the window gets no frame callbacks and Qt takes
  it for unexposed after 100 ms. The pixels per commit come from weston's own
  protocol log (weston-debug proto, weston --debug): the damage the client
  sent on its surface between commits. That log makes weston format every
  message, so it runs only in the waits between spans and in an area span of
  its own after each shown span, never in a span whose CPU is measured; the
  programs themselves run without WAYLAND_DEBUG throughout.

usage: visibility.py x11 SLONK YARDSTICK XWATCH RUNS PHASE-SECONDS TIMELINE
       visibility.py wayland SLONK YARDSTICK WESTON-WINDOW RUNS PHASE-SECONDS TIMELINE
"""
import collections
import os
import re
import statistics
import subprocess
import sys
import time

TITLE = "100 Vured iv 100 Irizeze"
rig, slonk, yardstick, rig_argument = sys.argv[1:5]
runs, phase_seconds, timeline = int(sys.argv[5]), float(sys.argv[6]), sys.argv[7]


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


def span(pid, seconds, each_second=None):
    """CPU %, wake-ups /s and per thread (wake-ups /s, CPU %) over the span."""
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
    return {"cpu": sum(c for _, c in per_thread.values()),
            "wake": sum(w for w, _ in per_thread.values()), "threads": dict(per_thread)}


def xdotool(*args):
    return subprocess.run(["xdotool", *args], capture_output=True, text=True).stdout.split()


def wait(what, test, seconds=10):
    deadline = time.monotonic() + seconds
    while not test():
        if time.monotonic() > deadline:
            raise SystemExit(f"expected {what} within {seconds} s")
        time.sleep(0.02)


class X11:
    """The window on the X server, found by its title, minimised by openbox."""
    phases = ("shown", "minimised", "shown again")
    how = "X11 on Xvfb with openbox, minimised with xdotool windowminimize"
    area = "px/repaint"
    start_at = ("152", "248")

    def __init__(self, xwatch):
        self.xwatch = xwatch

    def launch(self, program):
        self.known = set(xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$"))
        return subprocess.Popen([program], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def start(self, process):
        windows = []
        wait("the window", lambda: windows.extend(
            set(xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$")) - self.known) or
            windows, 20)
        self.window = windows[0]
        time.sleep(1)  # the first frame and the icons
        subprocess.run(["xdotool", "mousemove", "--window", self.window, *self.start_at,
                        "click", "1"], check=True)
        subprocess.run(["xdotool", "mousemove", "0", "0"], check=True)
        time.sleep(1)

    def mapped(self):
        return "IsViewable" in subprocess.run(["xwininfo", "-id", self.window],
                                              capture_output=True, text=True).stdout

    def hide(self):
        subprocess.run(["xdotool", "windowminimize", self.window], check=True)
        wait("the window minimised", lambda: not self.mapped())

    def show(self):
        subprocess.run(["xdotool", "windowactivate", self.window], check=True)
        wait("the window shown again", self.mapped)

    def shown_span(self, measure):
        """measure() with the pixels the X server was given per repaint meanwhile."""
        damage = subprocess.Popen([self.xwatch, "damage", self.window, str(phase_seconds)],
                                  stdout=subprocess.PIPE, text=True)
        result = measure()
        _, updates, _, pixels = damage.communicate()[0].split()
        result["pixels"] = int(pixels) / max(int(updates), 1)
        return result

    def end(self):
        pass


class ProtocolLog:
    """weston's protocol log while it is open, read as weston writes it: every
    request and event of every client, one a line."""

    def __init__(self, folder):
        self.path = os.path.join(folder, "proto.log")
        self.output = open(self.path, "w+")
        self.process = subprocess.Popen(["weston-debug", "proto"], stdout=self.output,
                                        stderr=subprocess.DEVNULL)
        self.read, self.tail = 0, ""

    def lines(self):
        """The whole lines written since the last call."""
        with open(self.path) as f:
            f.seek(self.read)
            text = self.tail + f.read()
            self.read = f.tell()
        *whole, self.tail = text.split("\n")
        return whole

    def close(self):
        self.process.terminate()
        self.process.wait()
        self.output.close()


class Wayland:
    """The window on nested weston, driven through weston's X window: keys and
    the pointer there are weston's seat."""
    phases = ("shown", "other workspace", "shown again")
    how = ("natively on weston 10 nested on Xvfb (x11 backend, pixman), hidden by turning "
           "weston to its other workspace")
    area = "px/commit"
    area_seconds = 5
    # weston 10 logs a message as "[time] client 0x55d0 rq wl_surface@12.commit()".
    message = re.compile(r"client (\S+) (?:\(PID \d+\) )?(rq|ev) (\w+)@(\d+)\.(\w+)\((.*)\)$")

    def __init__(self, weston_window):
        self.weston_window = weston_window
        self.folder = os.path.dirname(os.path.abspath(timeline))  # the artefacts
        self.env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        self.env["QT_QPA_PLATFORM"] = "wayland"
        # weston's X window takes the keys xdotool sends to whatever has X's focus.
        subprocess.run(["xdotool", "windowactivate", weston_window], check=True)
        wait("weston's window focused on X",
             lambda: xdotool("getwindowfocus") == [weston_window])
        self.log = None
        self.client = self.surface = None

    def listen(self):
        self.log = ProtocolLog(self.folder)

    def stop_listening(self):
        self.log.close()
        self.log = None

    def messages(self, seconds, until, what):
        """The client's messages (direction, interface, id, name, arguments) from
        the log until until(all so far) holds; at most seconds."""
        seen = []

        def more():
            for line in self.log.lines():
                found = self.message.search(line)
                if found and (self.client is None or found[1] == self.client):
                    seen.append(found.groups())
            return until(seen)
        wait(what, more, seconds)
        return seen

    def launch(self, program):
        self.listen()
        self.client = self.surface = None
        return subprocess.Popen([program], env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def start(self, process):
        def titled(seen):
            return any(m[4] == "set_title" and TITLE in m[5] for m in seen)
        seen = self.messages(20, titled, "the window's title")
        self.client = next(m[0] for m in seen if m[4] == "set_title" and TITLE in m[5])
        seen = [m for m in seen if m[0] == self.client]
        # Its window's surface, not the pointer's:
        # get_xdg_surface(new id xdg_surface@9, wl_surface@7)
        self.surface = next(re.search(r"wl_surface@(\d+)", m[5])[1] for m in seen
                            if m[4] == "get_xdg_surface")

        def focused(more):
            return any(m[2] == "wl_keyboard" and m[4] == "enter" for m in seen + more)
        seen += self.messages(20, focused, "the keyboard's focus on the window")
        sizes = [None] + [m[5] for m in seen if m[4] == "set_min_size"]
        # The focus starts in the volume box: Tab to START, Space presses it.
        xdotool("key", "Tab", "space")
        self.messages(10, lambda more: any(m[4] == "set_min_size" and m[5] != sizes[-1]
                                           for m in more),
                      "START pressed: the window's fixed size changed")
        self.settle()

    def settle(self):
        """Until the window has committed a few frames: then the log is closed."""
        self.messages(10, lambda more: sum(self.drawn(m) for m in more) >= 5,
                      "the window drawing")
        self.stop_listening()

    def drawn(self, message):
        return message[2:5] == ("wl_surface", self.surface, "commit")

    def hide(self):
        self.listen()
        self.messages(10, lambda more: any(self.drawn(m) for m in more), "the window drawing")
        xdotool("key", "super+Down")
        # Qt stops drawing once frame callbacks are 100 ms late: a second with
        # no commit, twenty frames' worth.
        last, counted = time.monotonic(), 0

        def silent(more):
            nonlocal last, counted
            if any(self.drawn(m) for m in more[counted:]):
                last = time.monotonic()
            counted = len(more)
            return time.monotonic() - last > 1
        self.messages(10, silent, "the window no longer drawing, on the other workspace")
        self.stop_listening()

    def show(self):
        self.listen()
        xdotool("key", "super+Up")
        self.settle()

    def shown_span(self, measure):
        """measure(), then the damage the window sent per commit in a span of its own."""
        result = measure()
        self.listen()
        t0 = time.monotonic()
        seen = self.messages(self.area_seconds + 5,
                             lambda more: time.monotonic() > t0 + self.area_seconds,
                             "the area span")
        self.stop_listening()
        pixels, commits = 0, 0
        for _, direction, interface, surface, name, arguments in seen:
            if direction == "rq" and interface == "wl_surface" and surface == self.surface:
                if name in ("damage", "damage_buffer"):
                    _, _, width, height = map(int, arguments.split(", "))
                    pixels += width * height
                elif name == "commit":
                    commits += 1
        if not commits:
            raise SystemExit(f"expected the window drawing in {self.area_seconds} s, saw no commit")
        result["pixels"] = pixels / commits
        return result

    def end(self):
        if self.log:
            self.stop_listening()


def session(program, each_second):
    """One program after START through the phases: their figures by name."""
    process = display.launch(program)
    try:
        display.start(process)
        shown, hidden, again = display.phases
        figures = {shown: display.shown_span(lambda: span(process.pid, phase_seconds,
                                                            each_second))}
        display.hide()
        figures[hidden] = span(process.pid, phase_seconds, each_second)
        display.show()
        figures[again] = display.shown_span(lambda: span(process.pid, phase_seconds,
                                                           each_second))
        return figures
    finally:
        display.end()
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
    for i, name in enumerate(display.phases):
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

    print(f"Shown and hidden, {display.how}; {runs} runs of {phase_seconds:.0f} s a phase "
          "(medians):")
    print(f"  {'phase':15} {'':10} {'CPU % of a core':>16} {'wake-ups/s':>11} "
          f"{display.area:>11}")
    for phase in display.phases:
        for name in figures:
            print(f"  {phase:15} {name:10} {med(name, phase, 'cpu'):16.3f} "
                  f"{med(name, phase, 'wake'):11.1f} {med(name, phase, 'pixels'):11.0f}")
        ratio = med("Slonk", phase, "cpu") / med("yardstick", phase, "cpu")
        print(f"  {phase:15} {'ratio':10} {ratio:16.2f}")
    print("  Slonk by thread (wake-ups/s, CPU %):")
    for phase in display.phases:
        names = sorted({n for r in figures["Slonk"][phase] for n in r["threads"]})
        cells = []
        for n in names:
            wake = statistics.median(r["threads"].get(n, (0, 0))[0] for r in figures["Slonk"][phase])
            cpu = statistics.median(r["threads"].get(n, (0, 0))[1] for r in figures["Slonk"][phase])
            if wake >= 0.05 or cpu >= 0.001:
                cells.append(f"{n} {wake:.1f}/s {cpu:.3f}%")
        print(f"    {phase:15} " + ("; ".join(cells) or "nothing woke"))
    print(f"  Wake-ups each second of Slonk's first run: {timeline}.csv, {timeline}.svg")


display = X11(rig_argument) if rig == "x11" else Wayland(rig_argument)
main()
