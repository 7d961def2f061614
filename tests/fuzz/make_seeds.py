#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into corpus/<target>/.

Usage: make_seeds.py <build dir> [<track.mp3>]

The build dir must hold the painted pictures (assets/*.png) and the logo
model and texture (tools/logo/logo.pmd, logo.png). Needs ImageMagick's
/usr/bin/convert and lame. The seeds are a starting point: the committed
corpora are these seeds merged (libFuzzer -merge=1) with what fuzzing found.
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = "/usr/bin/convert"


def out(target, name, data):
    d = os.path.join(HERE, "corpus", target)
    os.makedirs(d, exist_ok=True)
    with open(os.path.join(d, "seed-" + name), "wb") as f:
        f.write(data)


def run(args, **kw):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, **kw).stdout


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def png(width, height, colour_type, depth, rows, extra=b""):
    """A minimal PNG written by hand (filter 0 on every row)."""
    raw = b"".join(b"\0" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0)) +
            extra + png_chunk(b"IDAT", zlib.compress(raw)) + png_chunk(b"IEND", b""))


def textures(build):
    assets = os.path.join(build, "assets")
    out("texture_resource", "font-image.png", open(os.path.join(assets, "108.png"), "rb").read())
    out("texture_resource", "logo.png",
        open(os.path.join(build, "tools", "logo", "logo.png"), "rb").read())
    # Small crops of the pictures in every form libpng hands back differently.
    forms = {"rgba": ["png32:"], "rgb": ["png24:"], "palette": ["png8:"],
             "gray": ["-colorspace", "gray", "-alpha", "off", "-depth", "8",
                      "-define", "png:color-type=0", "png:"],
             "gray1": ["-colorspace", "gray", "-alpha", "off", "-monochrome", "png:"],
             "gray-alpha": ["-colorspace", "gray", "-alpha", "set", "-channel", "A", "-evaluate",
                            "set", "50%", "+channel", "-depth", "8",
                            "-define", "png:color-type=4", "png:"],
             "rgba16": ["png64:"], "interlaced": ["-interlace", "PNG", "png32:"]}
    for i, (form, args) in enumerate(forms.items()):
        picture = os.path.join(assets, "%d.png" % (101 + i % 6))
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "x.png")
            head = ["-crop", "24x16+%d+%d" % (200 + 40 * i, 300), "+repage", "-strip"]
            run([CONVERT, picture] + head + args[:-1] + [args[-1] + path])
            out("texture_resource", "%s.png" % form, open(path, "rb").read())
    out("texture_resource", "gray-alpha-hand.png",
        png(3, 2, 4, 8, [b"\x10\xff\x00\x00\x80\x7f", b"\x00\x00\xff\xff\x01\x02"]))
    out("texture_resource", "palette-trns.png",
        png(2, 2, 3, 2, [b"\x1b", b"\xe4"],
            png_chunk(b"PLTE", b"\xff\0\0\0\xff\0\0\0\xff\0\0\0") + png_chunk(b"tRNS", b"\x80\x00")))
    out("texture_resource", "signature-only", b"\x89PNG\r\n\x1a\n")
    # The raw form: 4 unread bytes, width, height, texels.
    raw = lambda w, h, body: b"RAW0" + struct.pack("<II", w, h) + body
    out("texture_resource", "raw-2x2", raw(2, 2, bytes(range(16))))
    out("texture_resource", "raw-3x1", raw(3, 1, b"\xff\0\0\xff" * 3))
    out("texture_resource", "raw-empty", raw(0, 0, b""))
    out("texture_resource", "raw-short", raw(4, 4, b"\x01" * 20))
    out("texture_resource", "raw-wide", raw(20000, 0, b""))


VERTEX = struct.Struct("<9f")  # position, normal, colour word, u, v as stored


def vertex(x, y, z):
    return VERTEX.pack(x, y, z, 0, 0, 1, 0, x, y)


def prim(kind, indices=(), vertices=()):
    return (struct.pack("<III", kind, len(indices), len(vertices)) +
            b"".join(struct.pack("<H", i) for i in indices) + b"".join(vertices))


def mesh(name, shared, prims, groups):
    body = name.ljust(80, b"\0") + struct.pack("<III", len(prims), len(shared), len(groups))
    body += b"".join(shared) + b"".join(prims)
    for material, gp in groups:
        body += struct.pack("<II", material, len(gp)) + b"".join(gp)
    return body


def model(meshes, materials):
    head = struct.pack("<II6f", len(meshes), len(materials), -1, -1, -1, 1, 1, 1)
    return head + b"".join(meshes) + b"".join(materials)


def material(name):
    return name.ljust(80, b"\0") + b"logo.png".ljust(80, b"\0") + struct.pack("<III", 1, 2, 3)


def models(build):
    out("model_parse", "logo.pmd", open(os.path.join(build, "tools", "logo", "logo.pmd"), "rb").read())
    tri = [vertex(0, 0, 0), vertex(1, 0, 0), vertex(0, 1, 0)]
    out("model_parse", "empty", model([], []))
    out("model_parse", "indexed", model([mesh(b"a", tri, [prim(4, (0, 1, 2))], [])], []))
    out("model_parse", "own-vertices", model([mesh(b"b", [], [prim(5, (), tri)], [])], []))
    out("model_parse", "grouped",
        model([mesh(b"c", tri, [], [(0, [prim(4, (2, 1, 0)), prim(1, (), tri[:2])]),
                                   (1, [prim(0, (0,))])])],
              [material(b"front"), material(b"side")]))
    out("model_parse", "two-meshes",
        model([mesh(b"d", tri, [prim(3, (0, 1, 2, 0))], []), mesh(b"e", [], [], [])], [])
        + b"trailing bytes")


def font(build):
    alpha = run([CONVERT, os.path.join(build, "assets", "108.png"), "-alpha", "extract",
                 "-depth", "8", "gray:-"])
    assert len(alpha) == 512 * 512
    bits = bytearray(len(alpha) // 8)
    for i, a in enumerate(alpha):
        if a:
            bits[i // 8] |= 1 << (i % 8)
    head = lambda h, gap, order: struct.pack("<fIB", h, gap, len(order)) + order
    out("font_scan", "font-image", head(57.0, 0xFFFFFFFF, b"") + bytes(bits))
    out("font_scan", "font-image-gap4", head(57.0, 4, b"") + bytes(bits))
    out("font_scan", "font-image-custom-order", head(28.5, 0xFFFFFFFF, b"AB\nCD\n\nE") + bytes(bits))
    # Three blocks in the first band, two in the second.
    small = bytearray(512 * 64 // 8)
    for band, xs in ((0, (2, 10, 30)), (1, (5, 40))):
        for x in xs:
            for y in range(band * 20 + 3, band * 20 + 15):
                for dx in range(4):
                    i = y * 512 + x + dx
                    small[i // 8] |= 1 << (i % 8)
    out("font_scan", "blocks", head(20.0, 0xFFFFFFFF, b"abc\nde") + bytes(small))
    out("font_scan", "empty-image", head(57.0, 0xFFFFFFFF, b""))


def hot_spots(build):
    panel = os.path.join(build, "assets", "106.png")
    for name, args, w, h in (("panel-quarter", ["-filter", "point", "-resize", "25%"], 256, 192),
                             ("panel-buttons", ["-crop", "1024x160+0+560", "+repage"], 1024, 160)):
        alpha = run([CONVERT, panel] + args + ["-alpha", "extract", "-depth", "8", "gray:-"])
        assert len(alpha) == w * h, (name, len(alpha))
        # Keep only the rows from the first to the last button pixel.
        rows = [alpha[y * w:(y + 1) * w] for y in range(h)]
        marked = [y for y, r in enumerate(rows) if min(r) < 10]
        if marked:
            rows = rows[max(0, marked[0] - 1):marked[-1] + 2]
        out("hot_spots", name, struct.pack("<HHBf", w, len(rows), 0, 1024.0) + b"".join(rows))
    grid = bytearray(b"\xff" * (16 * 8))
    for i, (x, y, a) in enumerate(((1, 1, 3), (5, 1, 3), (9, 2, 0), (1, 5, 9), (12, 5, 1))):
        for dy in range(2):
            for dx in range(3):
                if x + dx < 16:
                    grid[(y + dy) * 16 + x + dx] = a
    out("hot_spots", "grid", struct.pack("<HHBf", 16, 8, 4, 800.0) + bytes(grid))
    out("hot_spots", "narrow-store", struct.pack("<HHBf", 16, 8, 0x83, 1024.0) + bytes(grid))
    out("hot_spots", "all-buttons", struct.pack("<HHBf", 8, 8, 0, 1024.0) + bytes(range(64)))


def scroll(build):
    del build
    for side in "ABCD":
        text = open(os.path.join(HERE, "..", "..", "assets", "text", "side%s.txt" % side), "rb").read()
        out("scroll_text", "side" + side, b"\x60" + text)
    out("scroll_text", "empty", b"\x00")
    out("scroll_text", "missing", b"\x04")
    out("scroll_text", "blank-lines", b"\x01\n\n\n")
    out("scroll_text", "long-line", b"\x02" + b"WIDE " * 600)
    out("scroll_text", "nul-crlf", b"\x0b" + b"one\r\ntwo\0three\nfour")
    out("scroll_text", "no-final-newline", b"\x13" + b"first\nlast")


def mp3s(track):
    with tempfile.TemporaryDirectory() as tmp:
        def encode(name, seconds, rate, channels, lame_args):
            wav = os.path.join(tmp, name + ".wav")
            mp3 = os.path.join(tmp, name + ".mp3")
            run(["sox", "-n", "-r", str(rate), "-c", str(channels), "-b", "16", wav,
                 "synth", str(seconds), "sine", "440", "vol", "0.5"])
            run(["lame", "--quiet"] + lame_args + [wav, mp3])
            out("mp3_stream", name + ".mp3", open(mp3, "rb").read())
        encode("cbr-stereo", 0.15, 44100, 2, ["-b", "64"])
        encode("vbr-mono", 0.15, 44100, 1, ["-V", "9"])
        encode("no-tag", 0.1, 44100, 2, ["-b", "32", "-t"])
        encode("rate-22050", 0.1, 22050, 1, ["-b", "32"])
        encode("id3", 0.1, 44100, 2, ["-b", "32", "--add-id3v2", "--tt", "side"])
    if track:
        # The start of a real track: its tag promises far more than follows.
        out("mp3_stream", "track-start.mp3", open(track, "rb").read(6000))
    out("mp3_stream", "not-mp3", b"RIFF\0\0\0\0WAVEfmt ")


def main():
    build = sys.argv[1]
    track = sys.argv[2] if len(sys.argv) > 2 else None
    textures(build)
    models(build)
    font(build)
    hot_spots(build)
    scroll(build)
    mp3s(track)


if __name__ == "__main__":
    main()
