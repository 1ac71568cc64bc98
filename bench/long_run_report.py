# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""The long run's figures: memory, CPU and open files over the running minutes
and at the finish, and the cues heard in the recording.

usage: long_run_report.py SAMPLES.csv RECORDING.wav CUE.wav
"""
import csv
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "testkit"))
import cues  # noqa: E402


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
    recording = cues.read_pcm(sys.argv[2])
    onsets, _, partial = cues.find_copies(recording[3], recording[:3], sys.argv[3])
    gaps = [b - a for a, b in zip(onsets, onsets[1:])]
    print(f"{len(onsets)} whole cues heard, {len(partial)} partial"
          + (f", gaps {min(gaps):.3f} to {max(gaps):.3f} s, first to last {onsets[-1] - onsets[0]:.3f} s"
             if gaps else ""))


if __name__ == "__main__":
    main()
