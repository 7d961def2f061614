#!/usr/bin/env python3
"""Reads the icon and version resources back from a Windows executable.

    pe-resources.py <exe> [size ...]
Prints the icon sizes of the first icon group and the version strings.
Exits 1 when the group lacks one of the given sizes (default 16 24 32 48 64
128 256), an icon it names is missing or is neither a PNG nor a 32-bit
bitmap of its stated size, or CompanyName, ProductName, ProductVersion or
FileDescription is missing; 2 when the file is no PE image.
"""
import struct
import sys

RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16


class Image:
    def __init__(self, data):
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe : pe + 4] != b"PE\0\0":
            raise ValueError("no PE header")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.rsrc_rva, _ = struct.unpack_from("<II", data, directories + 2 * 8)
        self.sections = []
        for i in range(sections):
            at = optional + optional_size + 40 * i
            vsize, rva, rawsize, raw = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((rva, max(vsize, rawsize), raw))
        self.data = data

    def at(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} in no section")

    def resources(self):
        """{(type, id): bytes} over the first language of each entry."""
        if self.rsrc_rva == 0:
            return {}
        base = self.at(self.rsrc_rva)
        found = {}

        def entries(offset):
            named, ids = struct.unpack_from("<12xHH", self.data, base + offset)
            for i in range(named + ids):
                key, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                yield key, target

        for rtype, t in entries(0):
            if not t & 0x80000000:
                continue
            for rid, r in entries(t & 0x7FFFFFFF):
                if not r & 0x80000000:
                    continue
                for _, leaf in entries(r & 0x7FFFFFFF):
                    rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.at(rva)
                    found[(rtype, rid)] = self.data[start : start + size]
                    break
        return found


def version_strings(block):
    """Key/value pairs of the StringFileInfo tables in a VS_VERSIONINFO."""
    pairs = {}

    def walk(at, end, depth):
        while at + 6 <= end:
            length, value_length, kind = struct.unpack_from("<HHH", block, at)
            if length == 0:
                return
            key_end = at + 6
            while block[key_end : key_end + 2] != b"\0\0":
                key_end += 2
            key = block[at + 6 : key_end].decode("utf-16-le")
            value_at = (key_end + 2 + 3) & ~3
            if kind == 1 and depth == 3:
                pairs[key] = block[value_at : value_at + 2 * value_length].decode("utf-16-le").rstrip("\0")
            children = value_at + (value_length * (2 if kind == 1 else 1))
            children = (children + 3) & ~3
            walk(children, at + length, depth + 1)
            at = (at + length + 3) & ~3

    walk(0, len(block), 0)
    return pairs


def icon_problem(body, size):
    if body[:8] == b"\x89PNG\r\n\x1a\n":
        w, h = struct.unpack_from(">II", body, 16)
        return None if (w, h) == (size, size) else f"PNG is {w}x{h}"
    if len(body) >= 40:
        header, w, h, _, bits = struct.unpack_from("<IiiHH", body, 0)
        if header == 40 and (w, h, bits) == (size, 2 * size, 32):
            return None
        return f"bitmap {w}x{h // 2} at {bits} bits"
    return "neither PNG nor bitmap"


def main(args):
    if not args:
        print(__doc__, file=sys.stderr)
        return 2
    want = [int(a) for a in args[1:]] or [16, 24, 32, 48, 64, 128, 256]
    try:
        with open(args[0], "rb") as f:
            resources = Image(f.read()).resources()
    except (OSError, ValueError, struct.error) as e:
        print(f"{args[0]}: {e}", file=sys.stderr)
        return 2
    problems = []
    groups = sorted(k for k in resources if k[0] == RT_GROUP_ICON)
    sizes = []
    if not groups:
        problems.append("no icon group")
    else:
        group = resources[groups[0]]
        count = struct.unpack_from("<H", group, 4)[0]
        for i in range(count):
            w, _, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            size = w or 256
            sizes.append(size)
            body = resources.get((RT_ICON, icon_id))
            problem = "missing" if body is None else icon_problem(body, size)
            if problem:
                problems.append(f"icon {icon_id} ({size} px): {problem}")
    print("icon sizes:", " ".join(str(s) for s in sizes))
    problems += [f"no {s} px icon" for s in want if s not in sizes]
    version = resources.get((RT_VERSION, 1))
    strings = version_strings(version) if version else {}
    for key in sorted(strings):
        print(f"{key}: {strings[key]}")
    for key in ("CompanyName", "ProductName", "ProductVersion", "FileDescription"):
        if not strings.get(key):
            problems.append(f"no {key}")
    for p in problems:
        print("problem:", p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
