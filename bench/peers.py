# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Slonk beside what a person would use instead, on the X display, session bus
and tray that bench/peers.sh started: each program in turn, in a new order
every run, measured the same way. Prints the table.

usage: peers.py XWATCH SLONK PAGE.html RUNS FOLDER

Per program and run: start-up from exec to its window mapped (bench/xwatch);
idle, then counting down, each over a span: CPU, wake-ups (voluntary context
switches of every thread) and displayed updates (X Damage on its window); then
RSS and PSS. A program is all its processes: the whole tree, and any D-Bus
service the session bus started while it ran (none was running before).
"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

xwatch, slonk, page = (os.path.abspath(p) for p in sys.argv[1:4])
runs, folder = int(sys.argv[4]), sys.argv[5]
bus_pid = int(os.environ["PEERS_BUS_PID"])
SETTLE, IDLE, COUNTING = 5.0, 8.0, 15.0  # seconds
AWAY = ("1023", "767")  # the screen's corner, where no window lies: nothing hovered
CLOCKS_SIZE = (870, 690)


def clocks_settings(config):
    """Settings of a fresh GNOME Clocks, through GLib's keyfile backend: one
    timer of 30 minutes on the Timer page, no location lookup."""
    os.makedirs(os.path.join(config, "glib-2.0", "settings"))
    with open(os.path.join(config, "glib-2.0", "settings", "keyfile"), "w") as f:
        f.write("[org/gnome/clocks]\n"
                "timers=[{'duration': <1800>, 'name': <'Slonk'>}]\n"
                "geolocation=false\n\n"
                "[org/gnome/clocks/state/window]\n"
                "panel-id='timer'\n"
                f"size=({CLOCKS_SIZE[0]}, {CLOCKS_SIZE[1]})\n")


FIREFOX_PREFS = {
    # A fresh profile as a person's own: only the first-run pages and bars skipped.
    "browser.shell.checkDefaultBrowser": "false",
    "browser.startup.homepage_override.mstone": '"ignore"',
    "startup.homepage_welcome_url": '""',
    "startup.homepage_welcome_url.additional": '""',
    "browser.aboutwelcome.enabled": "false",
    "trailhead.firstrun.didSeeAboutWelcome": "true",
    "datareporting.policy.dataSubmissionPolicyBypassNotification": "true",
    "toolkit.telemetry.reportingpolicy.firstRun": "false",
    "browser.tabs.warnOnClose": "false",
    "browser.sessionstore.resume_from_crash": "false",
}


def firefox_profile(config):
    profile = os.path.join(config, "profile")
    os.makedirs(profile)
    with open(os.path.join(profile, "user.js"), "w") as f:
        f.writelines(f'user_pref("{k}", {v});\n' for k, v in FIREFOX_PREFS.items())


class Peer:
    def __init__(self, key, title, match, command, start=None, idle_command=None, env=None,
                 prepare=None, loaded=None):
        self.key, self.title, self.match = key, title, match
        self.command = command            # config folder -> argv
        self.start = start                # window geometry -> click (x, y) that starts counting
        self.idle_command = idle_command  # a launch of its own for idle, when no click starts it
        self.env, self.prepare, self.loaded = env or {}, prepare, loaded


PEERS = [
    Peer("slonk", "Slonk", "slonk", lambda c: [slonk], start=lambda w, h: (152, 248)),
    Peer("kteatime", "KTeaTime", "kteatime", lambda c: ["kteatime", "--time", "1800"],
         idle_command=lambda c: ["kteatime"]),
    Peer("clocks", "GNOME Clocks", "org.gnome.clocks", lambda c: ["gnome-clocks"],
         start=lambda w, h: (w // 2 - 2, 228), env={"GSETTINGS_BACKEND": "keyfile"},
         prepare=clocks_settings),
    Peer("clocks-cairo", "GNOME Clocks, cairo", "org.gnome.clocks", lambda c: ["gnome-clocks"],
         start=lambda w, h: (w // 2 - 2, 228),
         env={"GSETTINGS_BACKEND": "keyfile", "GSK_RENDERER": "cairo"}, prepare=clocks_settings),
    Peer("firefox", "firefox-esr tab", "Navigator",
         lambda c: ["firefox-esr", "-profile", os.path.join(c, "profile"), "-no-remote",
                    "file://" + page],
         start=lambda w, h: (w // 2, h // 2), prepare=firefox_profile, loaded="Slonk in a tab"),
]


def children():
    """Parent pid -> its children's pids, over every process now."""
    found = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError):
                continue
            found.setdefault(parent, []).append(int(entry))
    return found


def tree(root, extra=()):
    kids = children()
    pids = [root, *extra]
    for pid in pids:
        pids.extend(p for p in kids.get(pid, []) if p not in pids)
    return [p for p in pids if alive(p)]


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except OSError:
        return False


def tasks(pids):
    """(pid, tid) -> (CPU ns, voluntary switches) of every thread now."""
    found = {}
    for pid in pids:
        try:
            for tid in os.listdir(f"/proc/{pid}/task"):
                with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                    cpu = int(f.read().split()[0])
                with open(f"/proc/{pid}/task/{tid}/status") as f:
                    switches = next(int(l.split()[1]) for l in f if l.startswith("voluntary_ctxt"))
                found[(pid, tid)] = (cpu, switches)
        except (OSError, StopIteration):
            continue
    return found


def memory(pids):
    """RSS and PSS in MiB, summed over the processes."""
    rss = pss = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    if line.startswith("Rss:"):
                        rss += int(line.split()[1])
                    elif line.startswith("Pss:"):
                        pss += int(line.split()[1])
        except OSError:
            continue
    return rss / 1024, pss / 1024


class Launch:
    def __init__(self, peer, command, config):
        env = dict(os.environ, XDG_CONFIG_HOME=config, **peer.env)
        self.bus_before = set(children().get(bus_pid, []))
        self.log = open(os.path.join(folder, f"{peer.key}.log"), "a")
        self.watcher = subprocess.Popen([xwatch, "map", "60", peer.match, "--", *command],
                                        env=env, stdout=subprocess.PIPE, stderr=self.log, text=True)
        self.pid = int(self.watcher.stdout.readline().split()[1])
        mapped = self.watcher.stdout.readline().split()
        if mapped[0] != "mapped":
            self.stop()
            raise SystemExit(f"expected a window of {peer.title} ({peer.match}) within 60 s")
        self.startup_ms = (int(mapped[2]) - int(mapped[1])) / 1e6
        self.window = mapped[3]
        if peer.loaded:
            self.wait_title(peer.loaded)

    def wait_title(self, text, seconds=60):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            title = subprocess.run(["xdotool", "getwindowname", self.window],
                                   capture_output=True, text=True).stdout
            if text in title:
                return
            time.sleep(0.1)
        raise SystemExit(f"expected the title {text!r} within {seconds} s")

    def helpers(self):
        return [p for p in children().get(bus_pid, []) if p not in self.bus_before]

    def pids(self):
        return tree(self.pid, self.helpers())

    def geometry(self):
        out = subprocess.run(["xdotool", "getwindowgeometry", self.window],
                             capture_output=True, text=True).stdout
        size = out.split("Geometry:")[1].split()[0]
        return tuple(int(v) for v in size.split("x"))

    def click(self, x, y):
        subprocess.run(["xdotool", "mousemove", "--window", self.window, str(x), str(y),
                        "click", "1"], check=True)
        subprocess.run(["xdotool", "mousemove", *AWAY], check=True)

    def span(self, seconds):
        """CPU % of a core, wake-ups /s and displayed updates /s over the span."""
        damage = subprocess.Popen([xwatch, "damage", self.window, str(seconds)],
                                  stdout=subprocess.PIPE, text=True)
        before, t0 = tasks(self.pids()), time.monotonic()
        counted = damage.communicate()[0].split()
        after, t1 = tasks(self.pids()), time.monotonic()
        cpu = switches = gl = 0
        drawing = drawing_threads({pid for pid, _ in after})
        for key, (c, s) in after.items():
            c0, s0 = before.get(key, (0, 0))
            cpu, switches = cpu + c - c0, switches + s - s0
            gl += c - c0 if key in drawing else 0
        return {"cpu": 100 * cpu / 1e9 / (t1 - t0), "wake": switches / (t1 - t0),
                "gl": 100 * gl / max(cpu, 1),
                "updates": int(counted[1]) / float(counted[2]), "cpu_ns": cpu,
                "updates_n": int(counted[1])}

    def stop(self):
        """Ends the program as a session would, its own children through it,
        and after 10 s whatever of it is left."""
        helpers = self.helpers()
        pids = tree(self.pid, helpers)
        for pid in [self.pid, *helpers]:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 10
        while any(alive(p) for p in pids) and time.monotonic() < deadline:
            time.sleep(0.05)
        for pid in pids:
            if alive(pid):
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
        self.watcher.wait()
        self.log.close()


def drawing_threads(pids):
    """(pid, tid) of the threads of Mesa's software rasteriser, llvmpipe:
    they draw whatever a program renders with GL on this machine."""
    found = set()
    for pid in pids:
        try:
            for tid in os.listdir(f"/proc/{pid}/task"):
                with open(f"/proc/{pid}/task/{tid}/comm") as f:
                    if f.read().startswith("llvmpipe"):
                        found.add((pid, tid))
        except OSError:
            continue
    return found


def measure(peer, figures, notes):
    with tempfile.TemporaryDirectory(dir=folder) as config:
        if peer.prepare:
            peer.prepare(config)
        if peer.idle_command:
            launch = Launch(peer, peer.idle_command(config), config)
            time.sleep(SETTLE)
            idle = launch.span(IDLE)
            launch.stop()
        launch = Launch(peer, peer.command(config), config)
        try:
            time.sleep(SETTLE)
            if not peer.idle_command:
                idle = launch.span(IDLE)
            if peer.start:
                launch.click(*peer.start(*launch.geometry()))
            time.sleep(2)
            counting = launch.span(COUNTING)
            if counting["updates"] < 0.5:
                raise SystemExit(f"expected {peer.title} to count down, saw "
                                 f"{counting['updates']:.2f} displayed updates /s")
            pids = launch.pids()
            rss, pss = memory(pids)
            notes.setdefault(peer.key, []).append(counting["gl"])
        finally:
            launch.stop()
    values = {"startup": launch.startup_ms, "rss": rss, "pss": pss, "processes": len(pids),
              "cpu": counting["cpu"], "wake": counting["wake"], "updates": counting["updates"],
              "per_update": counting["cpu_ns"] / 1e6 / max(counting["updates_n"], 1),
              "idle_cpu": idle["cpu"], "idle_wake": idle["wake"], "idle_updates": idle["updates"]}
    for key, value in values.items():
        figures[peer.key].setdefault(key, []).append(value)


ROWS = [("startup", "start-up, exec to the window mapped", "ms", "{:.0f}"),
        ("rss", "RSS, all processes", "MiB", "{:.1f}"),
        ("pss", "PSS, all processes", "MiB", "{:.1f}"),
        ("processes", "processes", "", "{:.0f}"),
        ("cpu", "counting: CPU", "% of a core", "{:.2f}"),
        ("wake", "counting: wake-ups", "/s", "{:.0f}"),
        ("updates", "counting: displayed updates", "/s", "{:.1f}"),
        ("per_update", "counting: CPU per displayed update", "ms", "{:.2f}"),
        ("idle_cpu", "idle: CPU", "% of a core", "{:.2f}"),
        ("idle_wake", "idle: wake-ups", "/s", "{:.1f}"),
        ("idle_updates", "idle: displayed updates", "/s", "{:.2f}")]
RATIOS = ["startup", "rss", "pss", "cpu", "wake"]


def cell(values, form):
    values = sorted(values)
    median = form.format(statistics.median(values))
    if len(values) > 1 and values[0] != values[-1]:
        return f"{median} ({form.format(values[0])}–{form.format(values[-1])})"
    return median


def main():
    figures = {p.key: {} for p in PEERS}
    notes = {}
    # One launch each first, discarded: every program then starts with the
    # files it reads in the page cache, as a person's second start does.
    for peer in PEERS:
        with tempfile.TemporaryDirectory(dir=folder) as config:
            if peer.prepare:
                peer.prepare(config)
            launch = Launch(peer, peer.command(config), config)
            time.sleep(2)
            launch.stop()
    for run in range(runs):
        turn = run % len(PEERS)
        for peer in PEERS[turn:] + PEERS[:turn]:
            measure(peer, figures, notes)
        print(f"run {run + 1} of {runs} done", file=sys.stderr, flush=True)

    header = " | ".join(p.title for p in PEERS)
    print(f"| figure (median, min–max over {runs} runs) | {header} |")
    print("|---" * (len(PEERS) + 1) + "|")
    for key, what, unit, form in ROWS:
        cells = " | ".join(cell(figures[p.key][key], form) for p in PEERS)
        print(f"| {what}{f' ({unit})' if unit else ''} | {cells} |")
    for key in RATIOS:
        what = next(r[1] for r in ROWS if r[0] == key)
        ours = statistics.median(figures["slonk"][key])
        cells = " | ".join(f"{statistics.median(figures[p.key][key]) / ours:.2f} ×"
                           for p in PEERS)
        print(f"| {what}, to Slonk | {cells} |")
    print()
    print(f"Spans: idle {IDLE:.0f} s from {SETTLE:.0f} s after the window mapped, counting "
          f"{COUNTING:.0f} s from 2 s after the start.")
    print("Counting starts with a click on the start button (Slonk, GNOME Clocks: one "
          "30-minute timer set through GLib's keyfile settings) or on the page (the tab); "
          "KTeaTime counts from its command line (--time 1800), and its idle figures come "
          "from a launch of its own without it. Each launch has a fresh configuration "
          "folder; the tab a fresh profile.")
    print("Share of the CPU while counting taken by Mesa's software GL rasteriser (llvmpipe), "
          "median: " + ", ".join(f"{p.title} {statistics.median(notes[p.key]):.0f} %"
                                 for p in PEERS) + ".")


main()
