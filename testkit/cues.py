# SPDX-License-Identifier: GPL-3.0-or-later
# SPDX-FileCopyrightText: 2026 The Slonk developers

"""Finds the copies of a cue in a recording of the sound server's output.

The null sink runs at the cue's own format and full volume, so every sample the
program played lands in the recording unchanged: a cue is found by matching its
sound (first to last non-silent frame) exactly. Prints one line; exits 1 with a
line saying what was expected and what was seen when a check fails.

With --wait it first follows a recording still being written until the copies
it expects are all there, so a test acts on what was heard, not on a guess of
how long that takes.
"""
import argparse
import struct
import sys
import time


class CueError(Exception):
    """What was expected of a recording, and what it held instead."""


def read_pcm(path):
    """Returns (rate, channels, bits, frames bytes) of a WAV file; a recording
    stopped early may claim more data than it holds, so data runs to the end."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise CueError(f"expected a WAV file, saw {path} is not one")
    at, fmt = 12, None
    while at + 8 <= len(data):
        chunk, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if chunk == b"fmt ":
            _, channels, rate, _, _, bits = struct.unpack("<HHIIHH", data[at + 8:at + 24])
            fmt = (rate, channels, bits)
        elif chunk == b"data":
            if fmt is None:
                raise CueError(f"expected a format before the data in {path}")
            if size == 0:  # a recorder still running has not written the size yet
                size = len(data) - at - 8
            return (*fmt, data[at + 8:at + 8 + size])
        at += 8 + size + (size & 1)
    raise CueError(f"expected a data chunk in {path}, saw none")


def cue_sound(cue_path):
    """The cue's format and its sound, from its first to its last non-silent frame."""
    rate, channels, bits, cue = read_pcm(cue_path)
    frame = channels * bits // 8
    silent = bytes(frame)
    first = next(i for i in range(0, len(cue), frame) if cue[i:i + frame] != silent)
    last = max(i for i in range(0, len(cue), frame) if cue[i:i + frame] != silent)
    return (rate, channels, bits), cue[first:last + frame]


def find_copies(recording, recording_format, cue_path):
    """Onsets (s) and byte spans of the whole copies of a cue, and the onsets of
    partial ones."""
    cue_format, sound = cue_sound(cue_path)
    rate, channels, bits = recording_format
    if recording_format != cue_format:
        raise CueError(f"expected a recording at the cue's format, saw {rate} Hz {channels} ch "
                       f"{bits} bit")
    frame = channels * bits // 8
    signature = sound[:256 * frame]

    onsets, spans, partial = [], [], []
    at = recording.find(signature)
    while at >= 0:
        next_from = at + 1
        if at % frame == 0:
            if recording[at:at + len(sound)] == sound:
                onsets.append(at / frame / rate)
                spans.append((at, at + len(sound)))
                next_from = at + len(sound)  # a cue may repeat itself inside
            else:
                partial.append(at / frame / rate)
        at = recording.find(signature, next_from)
    return onsets, spans, partial


def wait_for(recording_path, cue_paths, wanted, seconds):
    """Follows a growing recording until it holds `wanted` whole copies of the
    cues together; raises CueError when they are not there within `seconds`."""
    deadline = time.monotonic() + seconds
    heard = 0
    while True:
        try:
            rate, channels, bits, recording = read_pcm(recording_path)
            heard = sum(len(find_copies(recording, (rate, channels, bits), cue)[0])
                        for cue in cue_paths)
        except (OSError, CueError, struct.error):
            pass  # the recorder has not written its header yet
        if heard >= wanted:
            return
        if time.monotonic() > deadline:
            raise CueError(f"expected {wanted} whole copies within {seconds:g} s, heard {heard}")
        time.sleep(0.1)


def judge_spacing(fake, args, which):
    """The copies' onsets in fake seconds against their schedule: a part of the
    summary, or CueError."""
    gaps = [b - a for a, b in zip(fake, fake[1:])]
    if not gaps:
        return ""
    for k, gap in enumerate(gaps, start=2):
        if abs(gap - args.spacing) > args.tolerance:
            raise CueError(f"expected copy {k}{which} {args.spacing:g}±{args.tolerance:g} fake s "
                           f"after copy {k - 1}, saw {gap:.2f} fake s")
    span = fake[-1] - fake[0]
    expected = args.spacing * (len(fake) - 1)
    if abs(span - expected) > args.tolerance:
        raise CueError(f"expected the last copy{which} {expected:g}±{args.tolerance:g} fake s after "
                       f"the first, saw {span:.2f} fake s (drift)")
    deviation = max(abs(t - fake[0] - args.spacing * k) for k, t in enumerate(fake))
    return (f"{which}, gaps {min(gaps):.2f} to {max(gaps):.2f} fake s, first to last "
            f"{span:.2f} fake s, largest deviation from the schedule {deviation:.2f} fake s")


def check(args):
    """The verdict on a finished recording: one line, or CueError."""
    rate, channels, bits, recording = read_pcm(args.recording)
    frame = channels * bits // 8
    onsets, spans, partial = find_copies(recording, (rate, channels, bits), args.cue)
    series = None  # each cue timed on its own (--apart), else all together
    if args.also:
        other, other_spans, other_partial = find_copies(recording, (rate, channels, bits), args.also)
        partial += other_partial
        sequence = sorted([(t, "1") for t in onsets] + [(t, "2") for t in other])
        print("sequence " + "".join(kind for _, kind in sequence))
        spans = sorted(spans + other_spans)
        if args.apart:
            series = [(" of cue 1", onsets), (" of cue 2", other)]
        onsets = [t for t, _ in sequence]  # counted together

    name = args.cue.rsplit("/", 1)[-1] + (" and " + args.also.rsplit("/", 1)[-1] if args.also else "")
    if args.cut_last and partial and partial[-1] * rate * frame >= (spans[-1][1] if spans else 0):
        # The program was closed while its last cue played: that copy stops
        # early, a true beginning of the cue, and nothing follows it.
        cut = round(partial.pop() * rate) * frame
        tail = recording[cut:].rstrip(b"\0")
        if not cue_sound(args.cue)[1].startswith(tail):
            raise CueError(f"expected the last copy cut short by the program's end at "
                           f"{cut / frame / rate:.3f} s, saw other sound in it")
        spans.append((cut, len(recording)))
    if partial:
        raise CueError(f"expected whole copies of {name}, saw a partial one at {partial[0]:.3f} s")
    # Anything else heard: another sound, a cut copy, something after the finish.
    edges = [0] + [e for span in spans for e in span] + [len(recording)]
    for start, end in zip(edges[0::2], edges[1::2]):
        stray = recording[start:end].lstrip(b"\0")
        if stray:
            where = (end - len(stray)) // frame / rate
            raise CueError(f"expected only copies of {name}, saw other sound at {where:.3f} s "
                           f"(after {len(onsets)} copies)")
    if args.count is not None and len(onsets) != args.count:
        raise CueError(f"expected {args.count} copies of {name}, saw {len(onsets)}")
    if args.at_least is not None and len(onsets) < args.at_least:
        raise CueError(f"expected at least {args.at_least} copies of {name}, saw {len(onsets)}")

    summary = f"{len(onsets)} whole copies of {name}"
    if args.spacing is None:
        return summary
    for which, times in series or [("", onsets)]:
        summary += judge_spacing([t * args.speed for t in times], args, which)
    return summary


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("recording")
    parser.add_argument("cue")
    parser.add_argument("--count", type=int, help="exactly this many copies")
    parser.add_argument("--at-least", type=int, help="this many copies or more")
    parser.add_argument("--wait", type=float, metavar="SECONDS",
                        help="first wait this long at most for --count or --at-least copies "
                             "in a recording still being written, then judge nothing")
    parser.add_argument("--heard", action="store_true",
                        help="print how many whole copies a recording still being written "
                             "holds so far, and judge nothing")
    parser.add_argument("--cut-last", action="store_true",
                        help="the last copy may end early, cut by the program's end")
    parser.add_argument("--speed", type=float, default=1.0, help="fake seconds per real second")
    parser.add_argument("--spacing", type=float, help="fake seconds from one copy to the next")
    parser.add_argument("--tolerance", type=float, default=3.0, help="fake seconds")
    parser.add_argument("--also", help="a second cue that may be heard too; prints the order "
                                       "of both as a sequence of 1 (the cue) and 2 (this one)")
    parser.add_argument("--apart", action="store_true",
                        help="with --also and --spacing, each cue keeps its own schedule (two "
                             "programs), rather than both one together")
    args = parser.parse_args()
    try:
        if args.heard:
            rate, channels, bits, recording = read_pcm(args.recording)
            print(len(find_copies(recording, (rate, channels, bits), args.cue)[0]))
        elif args.wait is not None:
            wanted = args.count if args.count is not None else args.at_least
            cues = [args.cue] + ([args.also] if args.also else [])
            wait_for(args.recording, cues, wanted, args.wait)
            print(f"heard {wanted} whole copies")
        else:
            print(check(args))
    except CueError as error:
        sys.exit(str(error))


if __name__ == "__main__":
    main()
