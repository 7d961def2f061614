#!/usr/bin/env python3
"""Writes the small texture resources the render tests embed."""
import struct
import zlib


def raw(width, height, texels, declared=None):
    w, h = declared if declared else (width, height)
    return b"RAWT" + struct.pack("<II", w, h) + bytes(texels)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png_rgba(width, height, rows):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    data = b"".join(b"\0" + bytes(r) for r in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(data))
            + chunk(b"IEND", b""))


files = {
    # 2x2 texels in resource order: red, green / blue, white-translucent.
    "raw_2x2.bin": raw(2, 2, [255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128]),
    # Header promises 4x4 texels, body holds one.
    "raw_short_body.bin": raw(1, 1, [1, 2, 3, 4], declared=(4, 4)),
    # Fewer than the 12 header bytes.
    "raw_short_header.bin": b"RAWT\x02\0\0\0\x02",
    # Sizes whose texel count overflows 32 bits.
    "raw_huge.bin": raw(0, 0, [9] * 16, declared=(0xFFFFFFFF, 0xFFFFFFFF)),
    # An empty image: header only.
    "raw_empty.bin": raw(0, 0, []),
    # 2x1 RGBA picture: opaque orange, half-transparent teal.
    "rgba_2x1.png": png_rgba(2, 1, [[255, 128, 0, 255, 0, 128, 128, 64]]),
}
good = files["rgba_2x1.png"]
# Same picture with a byte of the compressed data flipped (IDAT CRC fails).
damaged = bytearray(good)
damaged[good.index(b"IDAT") + 6] ^= 0x55
files["damaged.png"] = bytes(damaged)
# Signature and half of the header chunk only.
files["truncated.png"] = good[:20]

for name, data in files.items():
    with open(name, "wb") as f:
        f.write(data)
