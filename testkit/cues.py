"""Finds the copies of a cue in a recording of the sound server's output.

The null sink runs at the cue's own format and full volume, so every sample the
program played lands in the recording unchanged: a cue is found by matching its
sound (first to last non-silent frame) exactly. Prints one line; exits 1 with a
line saying what was expected and what was seen when a check fails.
"""
import argparse
import struct
import sys


def read_pcm(path):
    """Returns (rate, channels, bits, frames bytes) of a WAV file; a recording
    stopped early may claim more data than it holds, so data runs to the end."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise ValueError(f"{path} is not a WAV file")
    at, fmt = 12, None
    while at + 8 <= len(data):
        chunk, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if chunk == b"fmt ":
            _, channels, rate, _, _, bits = struct.unpack("<HHIIHH", data[at + 8:at + 24])
            fmt = (rate, channels, bits)
        elif chunk == b"data":
            if fmt is None:
                raise ValueError(f"{path}: data before format")
            if size == 0:  # a recorder still running has not written the size yet
                size = len(data) - at - 8
            return (*fmt, data[at + 8:at + 8 + size])
        at += 8 + size + (size & 1)
    raise ValueError(f"{path}: no data chunk")


def find_copies(recording, recording_format, cue_path):
    """Onsets (s) and byte spans of the whole copies of a cue, and the onsets of
    partial ones."""
    cue_rate, cue_channels, cue_bits, cue = read_pcm(cue_path)
    rate, channels, bits = recording_format
    if (rate, channels, bits) != (cue_rate, cue_channels, cue_bits):
        sys.exit(f"expected a recording at the cue's format, saw {rate} Hz {channels} ch {bits} bit")
    frame = channels * bits // 8
    silent = bytes(frame)
    first = next(i for i in range(0, len(cue), frame) if cue[i:i + frame] != silent)
    last = max(i for i in range(0, len(cue), frame) if cue[i:i + frame] != silent)
    sound = cue[first:last + frame]
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


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("recording")
    parser.add_argument("cue")
    parser.add_argument("--count", type=int, help="exactly this many copies")
    parser.add_argument("--speed", type=float, default=1.0, help="fake seconds per real second")
    parser.add_argument("--spacing", type=float, help="fake seconds from one copy to the next")
    parser.add_argument("--tolerance", type=float, default=3.0, help="fake seconds")
    parser.add_argument("--also", help="a second cue that may be heard too; prints the order "
                                       "of both as a sequence of 1 (the cue) and 2 (this one)")
    args = parser.parse_args()

    rate, channels, bits, recording = read_pcm(args.recording)
    frame = channels * bits // 8
    onsets, spans, partial = find_copies(recording, (rate, channels, bits), args.cue)
    if args.also:
        other, other_spans, other_partial = find_copies(recording, (rate, channels, bits), args.also)
        partial += other_partial
        sequence = sorted([(t, "1") for t in onsets] + [(t, "2") for t in other])
        print("sequence " + "".join(kind for _, kind in sequence))
        spans = sorted(spans + other_spans)
        onsets = [t for t, _ in sequence]  # counted and timed together

    name = args.cue.rsplit("/", 1)[-1] + (" and " + args.also.rsplit("/", 1)[-1] if args.also else "")
    if partial:
        sys.exit(f"expected whole copies of {name}, saw a partial one at {partial[0]:.3f} s")
    # Anything else heard: another sound, a cut copy, something after the finish.
    edges = [0] + [e for span in spans for e in span] + [len(recording)]
    for start, end in zip(edges[0::2], edges[1::2]):
        stray = recording[start:end].lstrip(b"\0")
        if stray:
            where = (end - len(stray)) // frame / rate
            sys.exit(f"expected only copies of {name}, saw other sound at {where:.3f} s "
                     f"(after {len(onsets)} copies)")
    if args.count is not None and len(onsets) != args.count:
        sys.exit(f"expected {args.count} copies of {name}, saw {len(onsets)}")

    fake = [t * args.speed for t in onsets]
    gaps = [b - a for a, b in zip(fake, fake[1:])]
    summary = f"{len(onsets)} whole copies of {name}"
    if args.spacing is not None and gaps:
        for k, gap in enumerate(gaps, start=2):
            if abs(gap - args.spacing) > args.tolerance:
                sys.exit(f"expected copy {k} {args.spacing:g}±{args.tolerance:g} fake s after "
                         f"copy {k - 1}, saw {gap:.2f} fake s")
        span = fake[-1] - fake[0]
        expected = args.spacing * (len(fake) - 1)
        if abs(span - expected) > args.tolerance:
            sys.exit(f"expected the last copy {expected:g}±{args.tolerance:g} fake s after the "
                     f"first, saw {span:.2f} fake s (drift)")
        deviation = max(abs(t - fake[0] - args.spacing * k) for k, t in enumerate(fake))
        summary += (f", gaps {min(gaps):.2f} to {max(gaps):.2f} fake s, first to last "
                    f"{span:.2f} fake s, largest deviation from the schedule {deviation:.2f} fake s")
    print(summary)


if __name__ == "__main__":
    main()
