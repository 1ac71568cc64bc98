# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""The long run's figures: memory, CPU and open files over the running minutes
and at the finish, the CPU of a minute at the start and at the end, and the
cues heard in the recording. Exits 1 when the last ten running minutes cost
the program more than GROWTH_LIMIT times the CPU of the first ten after
START: a cost that creeps with the challenge's time or its cues.

usage: long_run_report.py SAMPLES.csv RECORDING.wav CUE.wav
"""
import csv
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "testkit"))
import cues  # noqa: E402

GROWTH_LIMIT = 1.25
SPAN = 10  # minutes at each end


def per_minute(a, b, column):
    return (float(b[column]) - float(a[column])) / (int(b["minute"]) - int(a["minute"]))


def cpu_at_ends(samples):
    """Prints the CPU of a minute over the first and the last ten running
    minutes; returns False when the last cost more than the limit allows."""
    running = [r for r in samples if r["phase"] == "running"]
    if len(running) < 2 * SPAN + 1:
        print(f"CPU growth not judged: {len(running)} running samples, "
              f"{2 * SPAN + 1} needed for ten minutes at each end")
        return True
    first = (running[0], running[SPAN])
    last = (running[-1 - SPAN], running[-1])
    for column, who in (("xserver_cpu_seconds", "X server"), ("wm_cpu_seconds", "window manager")):
        if column in running[0] and running[0][column]:
            print(f"{who} CPU a minute: {per_minute(*first, column):.3f} s at the start, "
                  f"{per_minute(*last, column):.3f} s at the end")
    start, end = per_minute(*first, "cpu_seconds"), per_minute(*last, "cpu_seconds")
    ratio = end / start if start > 0 else float("inf")
    each = " ".join(f"{per_minute(a, b, 'cpu_seconds'):.2f}" for a, b in zip(running, running[1:]))
    print(f"program CPU a minute, minute by minute: {each}")
    print(f"program CPU a minute: {start:.3f} s over minutes {first[0]['minute']} to "
          f"{first[1]['minute']}, {end:.3f} s over minutes {last[0]['minute']} to "
          f"{last[1]['minute']}: {ratio:.2f} times")
    if ratio > GROWTH_LIMIT:
        print(f"FAIL: the last ten minutes cost the program {ratio:.2f} times the CPU of the "
              f"first ten, more than {GROWTH_LIMIT}: something grows with the challenge")
        return False
    return True


def main():
    samples = list(csv.DictReader(open(sys.argv[1])))
    rows = [r for r in samples if int(r["minute"]) >= 2 and r["phase"] == "running"]
    if len(rows) >= 2:
        a, b = rows[0], rows[-1]
        minutes = int(b["minute"]) - int(a["minute"])
        cpu = 100 * (float(b["cpu_seconds"]) - float(a["cpu_seconds"])) / (60 * minutes)
        rss = [int(r["rss_kib"]) for r in rows]
        files = sorted({r["open_files"] for r in rows})
        print(f"running, minutes {a['minute']} to {b['minute']}: RSS {a['rss_kib']} to {b['rss_kib']} KiB "
              f"(growth {rss[-1] - rss[0]} KiB, highest {max(rss)}), private {a['private_kib']} to "
              f"{b['private_kib']} KiB, open files {' '.join(files)}, CPU {cpu:.2f} % of a core")
    for r in samples:
        if r["phase"] == "finish":
            print(f"at the finish, minute {r['minute']}: RSS {r['rss_kib']} KiB, "
                  f"private {r['private_kib']} KiB, open files {r['open_files']}")
    flat = cpu_at_ends(samples)
    recording = cues.read_pcm(sys.argv[2])
    onsets, _, partial = cues.find_copies(recording[3], recording[:3], sys.argv[3])
    gaps = [b - a for a, b in zip(onsets, onsets[1:])]
    print(f"{len(onsets)} whole cues heard, {len(partial)} partial"
          + (f", gaps {min(gaps):.3f} to {max(gaps):.3f} s, first to last {onsets[-1] - onsets[0]:.3f} s"
             if gaps else ""))
    return 0 if flat else 1


if __name__ == "__main__":
    sys.exit(main())
