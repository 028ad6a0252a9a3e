#!/usr/bin/env python3
"""Writes a .video-like file with a tag of version 6.0, 6.1, 6.2 or 7.1, laid out byte by byte
from the published layout, independently of Plomera's own writer. Used to check that
plomera-evidence reads files made by another tool, and by the demo script."""
import argparse
import struct
import sys


def fixed(text, width, pad=b"\0"):
    raw = text.encode("cp1252")[:width]
    return raw + pad * (width - len(raw))


def core(a):
    out = fixed(a.model, 16) + fixed(a.device, 100)
    names = a.cameras.split(",") if a.cameras else []
    for i in range(32):
        out += fixed(names[i], 100, b" ") if i < len(names) else b"\0" * 100
    out += struct.pack(">I", a.mask)
    out += fixed(a.start, 16) + fixed(a.end, 16)
    out += bytes([a.after_end]) + fixed(a.number, 16)
    return out


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--out", required=True)
    p.add_argument("--version", default="6.2", choices=["6.0", "6.1", "6.2", "7.1"])
    p.add_argument("--stream-bytes", type=int, default=4096)
    p.add_argument("--model", default="KDR-0401")
    p.add_argument("--device", default="Front office")
    p.add_argument("--cameras", default="Door,Till,Yard")
    p.add_argument("--mask", type=lambda s: int(s, 0), default=7)
    p.add_argument("--start", default="45000.25")
    p.add_argument("--end", default="45000.5")
    p.add_argument("--after-end", type=int, default=0)
    p.add_argument("--number", default="1.5")
    p.add_argument("--encrypted", type=int, default=0)
    p.add_argument("--flag-b", type=int, default=0)
    p.add_argument("--fisheye", type=int, default=0)
    p.add_argument("--leading", default="")
    p.add_argument("--mount", default="")
    p.add_argument("--view-flag", type=int, default=0)
    p.add_argument("--view-mode", default="")
    p.add_argument("--value1", type=int, default=0)
    p.add_argument("--value2", type=int, default=0)
    p.add_argument("--bookmark", action="append", default=[],
                   help="NAME|TICKS|NOTES (ticks: 100 ns since 0001-01-01, local)")
    a = p.parse_args()

    stream = bytes((i * 7) & 0xFF for i in range(a.stream_bytes))
    leading = a.leading.encode("cp1252")
    if a.version == "6.0":
        body = core(a) + bytes([a.encrypted, a.flag_b])
        tag = body + struct.pack(">I", len(body) + 9) + b"\x06\x00TAG"
        data = stream + tag
    elif a.version == "6.1":
        body = struct.pack(">I", len(leading)) + leading + core(a)
        body += bytes([a.encrypted, a.flag_b, a.fisheye]) + b"\0" * 20
        tag = body + struct.pack(">I", len(body) + 9) + b"\x06\x01TAG"
        data = stream + tag
    else:
        section = b""
        for entry in a.bookmark:
            name, ticks, notes = entry.split("|")
            section += fixed(name, 16) + struct.pack("<q", int(ticks)) + fixed(notes, 256)
        bookmarks_at = len(stream)
        tag_start = bookmarks_at + len(section)
        body = struct.pack(">I", len(leading)) + leading + core(a)
        body += bytes([a.encrypted, a.flag_b, a.fisheye])
        if a.version == "6.2":
            body += b"\0" * 20
        else:
            body += fixed(a.mount, 20) + bytes([a.view_flag]) + fixed(a.view_mode, 20)
            body += struct.pack("<i", a.value1) + struct.pack("<i", a.value2)
        for slot in range(102):
            if slot == 100:
                body += struct.pack(">iq", 999, bookmarks_at)
            elif slot == 101:
                body += struct.pack(">iq", -1, tag_start)
            else:
                body += struct.pack(">iq", -1, bookmarks_at)
        major, minor = (6, 2) if a.version == "6.2" else (7, 1)
        length = len(body) + 17
        tag = body + struct.pack(">qI", tag_start, length) + bytes([major, minor]) + b"TAG"
        data = stream + section + tag
    with open(a.out, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
