#!/usr/bin/env python3
"""Slices of a raw capture (44100 Hz stereo s16 frames) against a track's
straight decode (ml_e2e_audio). A slice is <count> frames from frame <start>;
a negative start counts from the end (-1: the newest frames).

    find <track raw> <capture raw> <start> <count>
        Prints "<offset> <rawStart> <runFirst> <runEnd> <trackFrames> <matches>":
        the first track frame where the slice matches exactly, the slice's
        capture frame, the capture frames [runFirst, runEnd) over which the
        match goes on around it, the track length and the matching offsets.
        Else "none <rawStart>" (exit 1) or "silent <rawStart>" (exit 3).
    nonzero <capture raw> <start> <count>
        Prints how many frames of the slice hold a non-zero sample.
Exit 2 on bad arguments.
"""
import sys


def frames(path):
    with open(path, "rb") as f:
        data = f.read()
    return data[: len(data) // 4 * 4]  # a frame still being written is left out


def slice_start(raw, start, count):
    size = len(raw) // 4
    first = size - count + 1 + start if start < 0 else start
    if count <= 0 or first < 0 or first + count > size:
        print(f"slice {start}+{count} outside the {size} captured frames", file=sys.stderr)
        sys.exit(2)
    return first


def common_frames(a, b):
    """Frames equal at the start of both byte strings."""
    n, step, most = 0, 1 << 20, min(len(a), len(b))
    while step >= 4:
        while n + step <= most and a[n : n + step] == b[n : n + step]:
            n += step
        step //= 2
    return n // 4


def find(track, raw, start, count):
    first = slice_start(raw, start, count)
    piece = raw[first * 4 : (first + count) * 4]
    if not piece.strip(b"\0"):
        print("silent", first)
        return 3
    offsets = []
    at = track.find(piece)
    while at >= 0:
        if at % 4 == 0:
            offsets.append(at // 4)
        at = track.find(piece, at + 1)
    if not offsets:
        print("none", first)
        return 1
    off, end = offsets[0], first + count
    before = common_frames(raw[: first * 4][::-1], track[: off * 4][::-1])
    after = common_frames(raw[end * 4 :], track[(off + count) * 4 :])
    print(off, first, first - before, end + after, len(track) // 4, len(offsets))
    return 0


def main(args):
    if len(args) == 5 and args[0] == "find":
        return find(frames(args[1]), frames(args[2]), int(args[3]), int(args[4]))
    if len(args) == 4 and args[0] == "nonzero":
        raw = frames(args[1])
        count = int(args[3])
        first = slice_start(raw, int(args[2]), count)
        print(count - memoryview(raw[first * 4 : (first + count) * 4]).cast("I").tolist().count(0))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
