#!/usr/bin/env python3
"""The plomera-evidence contract, checked against files made by make_tag.py (not by Plomera):
info --json gives exactly the documented keys and values, exit codes 0/1/2, and a bookmark added
with `bookmarks add` is read back here, by this script's own parser, exactly."""
import hashlib
import json
import os
import struct
import subprocess
import sys
import tempfile

KEYS = {"path", "version", "loaded", "deviceType", "deviceName", "modelName", "cameraNames",
        "channelMask", "channels", "startTime", "endTime", "afterEnd", "number", "encrypted",
        "flagB", "fisheyeKind", "leadingText", "mountType", "viewMode", "viewFlag", "value1",
        "value2", "tagStart", "loadTimeTagStart", "sections", "bookmarks"}


def run(tool, *args):
    return subprocess.run([tool, *args], capture_output=True, text=True)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def read_bookmarks(path):
    """Independent reader of a 6.2/7.1 file's bookmark section."""
    data = open(path, "rb").read()
    assert data[-3:] == b"TAG"
    tag_start = struct.unpack(">q", data[-17:-9])[0]
    table = data[-17 - 1224:-17]
    slots = [struct.unpack(">iq", table[i * 12:i * 12 + 12]) for i in range(102)]
    begin, end = slots[100][1], slots[101][1]
    out = []
    for off in range(begin, end, 280):
        rec = data[off:off + 280]
        name = rec[:16].split(b"\0")[0].decode("cp1252")
        ticks = struct.unpack("<q", rec[16:24])[0]
        notes = rec[24:].split(b"\0")[0].decode("cp1252")
        out.append((name, ticks, notes))
    return data[-5:-3], tag_start, out


def main():
    tool, maker = sys.argv[1], sys.argv[2]
    failures = []

    def check(cond, what):
        if not cond:
            failures.append(what)

    with tempfile.TemporaryDirectory() as tmp:
        for version in ["6.0", "6.1", "6.2", "7.1"]:
            path = os.path.join(tmp, "f%s.video" % version)
            subprocess.run([sys.executable, maker, "--out", path, "--version", version,
                            "--leading", "Case 7", "--mount", "Ceiling", "--view-mode", "PTZ",
                            "--value1", "5", "--value2", "-1", "--mask", "5", "--fisheye", "2",
                            "--bookmark", "Entry|638144784000000000|Man at door"], check=True)
            r = run(tool, "info", path, "--json")
            check(r.returncode == 0, version + " info exit")
            d = json.loads(r.stdout)
            check(set(d) == KEYS, version + " keys %s" % (set(d) ^ KEYS))
            check(d["version"] == version and d["loaded"] is True, version + " version")
            check(d["cameraNames"] == ["Door", "Till", "Yard"], version + " names")
            check(d["channels"] == [0, 2] and d["channelMask"] == 5, version + " channels")
            check(d["startTime"] == 1678860000 and d["endTime"] == 1678881600, version + " times")
            check(d["deviceType"] == 1 and d["modelName"] == "KDR-0401", version + " model")
            check(d["leadingText"] == ("" if version == "6.0" else "Case 7"), version + " leading")
            check(d["fisheyeKind"] == (0 if version == "6.0" else 2), version + " fisheye")
            fish = version == "7.1"
            check(d["mountType"] == ("Ceiling" if fish else ""), version + " mount")
            check((d["value1"], d["value2"]) == ((5, -1) if fish else (0, 0)), version + " values")
            has_bm = version in ("6.2", "7.1")
            check(len(d["bookmarks"]) == (1 if has_bm else 0), version + " bookmarks")
            check(d["tagStart"] == 4096 + (280 if has_bm else 0), version + " tagStart")

            # Reading, listing and trying to play never change the file (the stream here is
            # not a real one, so play may refuse it; it must refuse it without writing).
            digest, mtime = sha256(path), os.stat(path).st_mtime_ns
            run(tool, "bookmarks", path, "list")
            run(tool, "play", path, "--snapshot", os.path.join(tmp, "snap.png"))
            check(sha256(path) == digest and os.stat(path).st_mtime_ns == mtime, version + " read altered")

            before = open(path, "rb").read()[:4096]
            r = run(tool, "bookmarks", path, "add", "--name", "Suspect",
                    "--time", "2023-03-15 12:05:00", "--notes", "Blue coat")
            check(r.returncode == 0, version + " add exit: " + r.stderr)
            trailer, tag_start, marks = read_bookmarks(path)
            check(trailer == (b"\x07\x01" if fish else b"\x06\x02"), version + " written version")
            check(marks[-1] == ("Suspect", 638144787000000000, "Blue coat"), version + " read back %s" % marks)
            check(open(path, "rb").read()[:4096] == before, version + " stream changed")
            check(not os.path.exists(path + "_Backup"), version + " backup left")

        plain = os.path.join(tmp, "plain.mp4")
        open(plain, "wb").write(b"\0" * 1000)
        r = run(tool, "info", plain, "--json")
        check(r.returncode == 1 and json.loads(r.stdout)["loaded"] is False, "no tag exit 1")
        r = run(tool, "info", os.path.join(tmp, "missing.video"), "--json")
        check(r.returncode == 2 and "Unable to open video file: " in r.stderr, "missing exit 2")
        bad = os.path.join(tmp, "bad.video")
        subprocess.run([sys.executable, maker, "--out", bad, "--start", "garbage"], check=True)
        digest = sha256(bad)
        r = run(tool, "bookmarks", bad, "add", "--name", "x", "--time", "0")
        check(r.returncode == 2 and "invalid stod argument" in r.stderr, "bad time text: " + r.stderr)
        check(sha256(bad) == digest, "bad file altered")

    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
