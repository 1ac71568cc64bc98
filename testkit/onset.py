# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Times the cues at the sound server: records the null sink "rec" in small
blocks, stamps each block's arrival on CLOCK_MONOTONIC, and times the onset of
every copy of the cue between two bounds: the arrival of the first block that
holds it (never early, so that a latency bound judged on it holds) and its
place in the blocks timed back at the rate (never late). Passive (PULSE_PROP node.passive=true) unless told
otherwise, so the sink may suspend while nothing plays, as on a quiet desktop.
It asks for 25 ms blocks, so that PipeWire keeps the 1024-frame cycle it runs
the cue in without it: 2 ms made the whole graph run 64-frame cycles and 10 ms
256, and beside a busy core it now and then missed one, a hole of silence in
the middle of a cue that the timer itself had caused.

usage: onset.py CUE.wav COPIES SECONDS [--active]
Waits at most SECONDS for COPIES copies of the cue, whole or not, then prints
one line a copy: "whole|partial LATEST-NS EARLIEST-NS", the bounds of its
onset (Recorder.time_of). Exits 1 when they do not come.
"""
import bisect
import os
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(__file__))
import cues  # noqa: E402

RATE, FRAME = 44100, 4


class Recorder(threading.Thread):
    def __init__(self, passive=True):
        super().__init__(daemon=True)
        env = dict(os.environ)
        if passive:
            env["PULSE_PROP"] = "node.passive=true"
        self.process = subprocess.Popen(
            ["parec", "-d", "rec.monitor", "--raw", "--latency-msec=25", f"--rate={RATE}",
             "--channels=2", "--format=s16le"], stdout=subprocess.PIPE, env=env)
        self.data, self.blocks = bytearray(), []  # (frames so far, arrival ns)
        self.lock = threading.Lock()

    def run(self):
        while True:
            block = self.process.stdout.read1(1024)
            if not block:
                return
            arrived = time.monotonic_ns()
            with self.lock:
                self.data += block
                self.blocks.append((len(self.data) // FRAME, arrived))

    def time_of(self, frame):
        """(earliest, latest): when frame had reached the server. Latest: the
        arrival of the first block that holds it, late by the capture path and
        this reader. Earliest: timed back from the blocks after it at the rate;
        but the server makes a cycle's 1024 frames at once, so a frame's place
        in its block says nothing of when it was made, and this comes up to a
        cycle (23 ms) early. The truth lies between."""
        with self.lock:
            ends = [end for end, _ in self.blocks]
            latest = self.blocks[bisect.bisect_right(ends, frame)][1]
            earliest = min(arrived - (end - frame) * 1e9 / RATE for end, arrived in self.blocks
                           if frame <= end <= frame + RATE)
        return earliest, latest

    def copies(self, cue):
        """(frame, whole) of every copy so far, in order."""
        with self.lock:
            data = bytes(self.data[:len(self.data) // FRAME * FRAME])
        _, spans, partial = cues.find_copies(data, (RATE, 2, 16), cue)
        found = [(start // FRAME, True) for start, _ in spans]
        found += [(round(t * RATE), False) for t in partial]
        return sorted(found), len(data) // FRAME

    def stop(self):
        self.process.terminate()
        self.process.wait(5)
        self.join(5)


def main():
    cue, wanted, seconds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    recorder = Recorder(passive="--active" not in sys.argv[4:])
    recorder.start()
    sound = len(cues.cue_sound(cue)[1]) // FRAME
    deadline = time.monotonic() + seconds
    try:
        while True:
            found, frames = recorder.copies(cue)
            # A copy is judged once all of it could have arrived.
            if len(found) >= wanted and frames >= found[wanted - 1][0] + sound + RATE // 10:
                break
            if time.monotonic() > deadline:
                sys.exit(f"expected {wanted} copies of the cue at the server within {seconds:g} s, "
                         f"heard {len(found)}")
            time.sleep(0.05)
        for frame, whole in found[:wanted]:
            earliest, latest = recorder.time_of(frame)
            print(f"{'whole' if whole else 'partial'} {latest:.0f} {earliest:.0f}")
    finally:
        recorder.stop()


if __name__ == "__main__":
    main()
