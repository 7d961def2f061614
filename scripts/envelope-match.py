#!/usr/bin/env python3
"""Finds where a track's opening seconds start in a recording.

    envelope-match.py <capture raw> <track raw> [seconds]

Both files are 44100 Hz stereo signed 16-bit little-endian. The capture went
through a sound server and another decoder, so samples are not compared: the
loudness envelopes (RMS per 40 ms) are, by Pearson correlation of the track's
first <seconds> (default 4) against every position of the capture. Frames that
are exactly zero in both channels are dropouts of a starved device, which
delay the rest rather than replace it: they are cut out before the envelope
is taken (so positions count the remaining frames).
Prints "<start seconds in the capture> <correlation>" for the best position.
"""
import array
import math
import sys

WINDOW = 1764  # frames per envelope step (40 ms)


def envelope(path, max_frames=None):
    samples = array.array("h")
    with open(path, "rb") as f:
        data = f.read(max_frames * 4 if max_frames else -1)
    samples.frombytes(data[: len(data) // 4 * 4])
    if sys.byteorder != "little":
        samples.byteswap()
    kept = array.array("h")
    for i in range(0, len(samples) - 1, 2):
        if samples[i] or samples[i + 1]:
            kept.append(samples[i])
            kept.append(samples[i + 1])
    env = []
    step = WINDOW * 2
    for start in range(0, len(kept) - step + 1, step):
        chunk = kept[start : start + step]
        env.append(math.sqrt(sum(s * s for s in chunk) / step))
    return env


def correlation(a, b):
    n = len(a)
    ma = sum(a) / n
    mb = sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a)
    vb = sum((y - mb) ** 2 for y in b)
    return cov / math.sqrt(va * vb) if va > 0 and vb > 0 else 0.0


def main():
    if len(sys.argv) not in (3, 4):
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    seconds = float(sys.argv[3]) if len(sys.argv) == 4 else 4.0
    steps = int(seconds * 44100 / WINDOW)
    track = envelope(sys.argv[2], steps * WINDOW)
    capture = envelope(sys.argv[1])
    if len(track) < steps or len(capture) < steps:
        print("too short", file=sys.stderr)
        return 2
    best = max(
        ((correlation(capture[i : i + steps], track), i) for i in range(len(capture) - steps + 1)),
        key=lambda pair: pair[0],
    )
    print(f"{best[1] * WINDOW / 44100:.2f} {best[0]:.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
