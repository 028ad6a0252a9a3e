#!/usr/bin/env python3
"""The plomera-evidence contract, checked against files made by make_tag.py (not by Plomera) and
read back by this script's own parsers:
- info --json gives exactly the documented keys and values, exit codes 0/1/2;
- a bookmark added with `bookmarks add` is read back exactly, whatever form its time was given in;
- --help, -h, --version and every command's --help exit 0 with the text on standard output;
  a mistake in any command exits 64 with one line on standard error and nothing on standard output;
- every --json output is one JSON object matching what the files really hold (the bookmark
  section, the package bytes, the tile cache rows, the frame stamp of the snapshot, the map's
  screenshot on the loopback tiles);
- the progress counter appears only on a terminal, and --quiet silences it there;
- write-protected evidence (no write bit) is refused, as root and as a normal user.

usage: cli_contract.py TOOL MAKE_TAG [VERSION]"""
import datetime
import hashlib
import http.server
import json
import os
import pwd
import pty
import re
import shutil
import sqlite3
import stat
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import png_stamp  # noqa: E402

KEYS = {"path", "version", "loaded", "deviceType", "deviceName", "modelName", "cameraNames",
        "channelMask", "channels", "startTime", "endTime", "afterEnd", "number", "encrypted",
        "flagB", "fisheyeKind", "leadingText", "mountType", "viewMode", "viewFlag", "value1",
        "value2", "tagStart", "loadTimeTagStart", "sections", "bookmarks"}
COMMANDS = {"info", "bookmarks", "play", "dewarp", "custody", "metadata", "make-sample", "package", "tiles", "map", "watermark"}
TRY = ". Try 'plomera-evidence --help'."

failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
    return cond


def run(tool, *args, prefix=(), env=None):
    return subprocess.run([*prefix, tool, *args], capture_output=True, text=True, env=env)


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


def ticks_to_epoch(ticks):
    """Bookmark ticks (100 ns since 0001-01-01, local wall clock) to epoch seconds under TZ."""
    local = datetime.datetime(1, 1, 1) + datetime.timedelta(microseconds=ticks // 10)
    return int(time.mktime(local.timetuple()))


def folder_state(folder):
    """Names, bytes and modification times of everything in a folder."""
    state = {}
    for name in sorted(os.listdir(folder)):
        p = os.path.join(folder, name)
        state[name] = (sha256(p), os.stat(p).st_mtime_ns, stat.S_IMODE(os.stat(p).st_mode))
    return state


def make_tag(maker, path, *args):
    subprocess.run([sys.executable, maker, "--out", path, *args], check=True)


def tag_versions(tool, maker, tmp):
    for version in ["6.0", "6.1", "6.2", "7.1"]:
        path = os.path.join(tmp, "f%s.video" % version)
        make_tag(maker, path, "--version", version, "--leading", "Case 7", "--mount", "Ceiling",
                 "--view-mode", "PTZ", "--value1", "5", "--value2", "-1", "--mask", "5",
                 "--fisheye", "2", "--bookmark", "Entry|638144784000000000|Man at door")
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
        r = run(tool, "bookmarks", path, "list", "--json")
        if has_bm:
            listed = json.loads(r.stdout)["bookmarks"]
            _, _, marks = read_bookmarks(path)
            check([(b["name"], b["time"], b["notes"]) for b in listed]
                  == [(n, ticks_to_epoch(t), s) for n, t, s in marks], version + " list --json")
            check([b["index"] for b in listed] == list(range(len(marks))), version + " indexes")
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
    make_tag(maker, bad, "--start", "garbage")
    digest = sha256(bad)
    r = run(tool, "bookmarks", bad, "add", "--name", "x", "--time", "0")
    check(r.returncode == 2 and "invalid stod argument" in r.stderr, "bad time text: " + r.stderr)
    check(sha256(bad) == digest, "bad file altered")


def every_time_form_is_the_same_bookmark(tool, maker, tmp):
    path = os.path.join(tmp, "times.video")
    make_tag(maker, path)
    # 2021-06-05 07:09:00 in London (summer time) is 06:09:00 UTC.
    forms = ["2021-06-05 07:09:00", "2021-06-05T06:09:00Z", "2021-06-05T08:09:00+02:00", "1622873340"]
    for i, form in enumerate(forms):
        r = run(tool, "bookmarks", path, "add", "--name", "T%d" % i, "--time", form, "--json")
        check(r.returncode == 0, "add with time %s: %s" % (form, r.stderr))
        listed = json.loads(r.stdout)["bookmarks"]
        check(listed[-1]["time"] == 1622873340, "time %s listed as %s" % (form, listed[-1]["time"]))
    _, _, marks = read_bookmarks(path)
    check(len({t for _, t, _ in marks}) == 1 and len(marks) == 4, "time forms differ: %s" % marks)
    check(ticks_to_epoch(marks[0][1]) == 1622873340, "time forms: wrong second")


def help_version_and_mistakes(tool, maker, tmp, version):
    for words in (["--help"], ["-h"]):
        r = run(tool, *words)
        check(r.returncode == 0 and r.stdout.startswith("usage: plomera-evidence") and r.stderr == "",
              "%s: exit %d, stderr %r" % (words, r.returncode, r.stderr))
    top = run(tool, "--help").stdout
    listed = re.findall(r"^  (\S+)\s", top.split("Commands:\n", 1)[1].split("\n\n", 1)[0], re.M)
    check(COMMANDS <= set(listed), "commands in --help: %s" % listed)

    r = run(tool, "--version")
    check(r.returncode == 0 and r.stderr == "", "--version exit/stderr")
    check(re.fullmatch(r"plomera-evidence \d+\.\d+\.\d+\n", r.stdout) is not None, "--version: %r" % r.stdout)
    if version:
        check(r.stdout == "plomera-evidence %s\n" % version, "--version %r, project %s" % (r.stdout, version))

    # Every command the tool lists, also those added later, has a help and refuses a stray option.
    for command in listed:
        for words in ([command, "--help"], [command, "-h"]):
            r = run(tool, *words)
            check(r.returncode == 0 and r.stderr == "" and r.stdout.startswith("usage: plomera-evidence " + command)
                  and "Exit codes:" in r.stdout and "64" in r.stdout, "%s: exit %d" % (words, r.returncode))
        mistake(tool, [command, "--no-such-option"])

    video = os.path.join(tmp, "mistakes.video")
    make_tag(maker, video, "--bookmark", "Entry|638144784000000000|x")
    digest, mtime = sha256(video), os.stat(video).st_mtime_ns
    for words in ([], ["frobnicate"], ["--frobnicate"], ["help", "frobnicate"],
                  ["info"], ["info", video, video],
                  ["bookmarks", video], ["bookmarks", video, "rename"], ["bookmarks", video, "list", "extra"],
                  ["bookmarks", video, "add", "--name", "x", "--time", "soon"],
                  ["bookmarks", video, "add", "--name", "x", "--time", "2021-02-30 10:00:00"],
                  ["bookmarks", video, "add", "--time", "1622873340"],
                  ["bookmarks", video, "add", "--name", "x"],
                  ["bookmarks", video, "list", "--name", "x"], ["bookmarks", video, "delete"],
                  ["bookmarks", video, "add", "--name"],
                  ["play"], ["play", video, "--seek", "noon"], ["play", video, "--json=yes"],
                  ["dewarp", video], ["dewarp", video, "--mode", "ptz"],
                  ["dewarp", video, "--mode", "tilt", "--out", "d.png"],
                  ["dewarp", video, "--mode", "360", "--pos", "0.5,0.5", "--out", "d.png"],
                  ["dewarp", video, "--mode", "ptz", "--pos", "2,0", "--out", "d.png"],
                  ["dewarp", video, "--mode", "ptz", "--zoom", "1.5", "--out", "d.png"],
                  ["dewarp", video, "--mode", "ptz", "--size", "8x8", "--out", "d.png"],
                  ["metadata"], ["metadata", video, "--csv"],
                  ["make-sample", tmp, "--route", "1,2"], ["make-sample", tmp, "--metadata", "--route", "91,0"],
                  ["make-sample", tmp, "--metadata", "--tag-version", "6.1"],
                  ["make-sample"], ["make-sample", tmp, "--cameras", "0"], ["make-sample", tmp, "--size", "10x"],
                  ["make-sample", tmp, "--duration", "abc"], ["make-sample", tmp, "--start", "2021-06-05"],
                  ["package"], ["package", "frobnicate"], ["package", "create", "out.exe"],
                  ["package", "create", "out.exe", video, "--kind", "5"], ["package", "list"],
                  ["package", "list", video, "--password", "x"], ["package", "extract", video],
                  ["tiles", "list"], ["tiles", "fetch", "--cache", "c.db", "3", "8", "0"],
                  ["tiles", "fetch", "--cache", "c.db", "1", "2"], ["tiles", "fetch", "--cache", "c.db", "x", "0", "0"],
                  ["tiles", "fetch", "--cache", "c.db", "--server", "ftp://x", "0", "0", "0"],
                  ["tiles", "serve", "--port", "70000"], ["tiles", "serve", "--cache", "c.db"],
                  ["tiles", "list", "--cache", "c.db", "--port", "1"],
                  ["map", "--cache", "c.db", "--zoom", "19", "--screenshot", "m.png"],
                  ["map", "--cache", "c.db", "--center", "0,86", "--screenshot", "m.png"],
                  ["map", "--cache", "c.db", "--center", "nan,0", "--screenshot", "m.png"],
                  ["map", "--cache", "c.db", "--marker", "1;2", "--screenshot", "m.png"],
                  ["map", "--cache", "c.db", "--size", "0x10", "--screenshot", "m.png"],
                  ["map", "--cache", "c.db", "--json"], ["map", "--cache", "c.db", "extra"]):
        mistake(tool, words, cwd=tmp)
    check(sha256(video) == digest and os.stat(video).st_mtime_ns == mtime, "a mistake changed the file")
    check(not any(os.path.exists(os.path.join(tmp, f)) for f in ("out.exe", "c.db", "m.png", "d.png")),
          "a mistake wrote a file")


def mistake(tool, words, cwd=None):
    r = subprocess.run([tool, *words], capture_output=True, text=True, cwd=cwd)
    lines = r.stderr.splitlines()
    check(r.returncode == 64 and r.stdout == "" and len(lines) == 1 and lines[0].endswith(TRY)
          and lines[0].startswith("plomera-evidence"),
          "mistake %s: exit %d, out %r, err %r" % (words, r.returncode, r.stdout, r.stderr))


def on_a_terminal(args):
    """Runs with standard error on a pseudo-terminal; returns (exit code, stdout, terminal bytes)."""
    master, slave = pty.openpty()
    p = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=slave, stdin=subprocess.DEVNULL)
    os.close(slave)
    seen = bytearray()

    def drain():
        while True:
            try:
                chunk = os.read(master, 4096)
            except OSError:
                return
            if not chunk:
                return
            seen.extend(chunk)

    reader = threading.Thread(target=drain)
    reader.start()
    out = p.stdout.read()
    p.wait()
    reader.join()
    os.close(master)
    return p.returncode, out.decode(), bytes(seen)


def samples_play_and_progress(tool, tmp):
    folder = os.path.join(tmp, "samples")
    base = ["make-sample", folder, "--cameras", "2", "--duration", "3", "--fps", "10", "--size", "320x240",
            "--start", "2021-06-05T06:08:00Z", "--bookmarks", "1", "--partial"]
    r = run(tool, *base, "--json")
    check(r.returncode == 0 and r.stderr == "", "make-sample --json: exit %d, stderr %r" % (r.returncode, r.stderr))
    made = json.loads(r.stdout)
    check(made["folder"] == folder and len(made["files"]) == 3, "make-sample files %s" % made)
    for f in made["files"]:
        check(os.path.isfile(f["path"]), "made file missing " + f["path"])
        check((f["startTime"], f["endTime"]) == (1622873280, 1622873283), "made times %s" % f)
        if f["partial"]:
            check(f["path"].endswith(".partial") and f["tagVersion"] is None, "partial %s" % f)
            continue
        data = open(f["path"], "rb").read()
        check(data[-3:] == b"TAG" and "%d.%d" % (data[-5], data[-4]) == f["tagVersion"], "tag version %s" % f)
        info = json.loads(run(tool, "info", f["path"], "--json").stdout)
        check((info["cameraNames"], info["channels"], info["startTime"], info["endTime"])
              == (f["cameraNames"], f["channels"], f["startTime"], f["endTime"]), "make-sample vs tag %s" % f)
    check([f["cameraNames"] for f in made["files"]] == [["Camera 1"], ["Camera 2"], ["Camera 1"]], "cameras")

    # The frame reached, as the report gives it and as the snapshot's own stamp shows it.
    video = made["files"][1]["path"]
    for seek, expected in ((None, None), ("2021-06-05 07:08:02", 20), ("2021-06-05T06:08:01Z", 10),
                           ("1622873281", 10)):
        snap = os.path.join(tmp, "frame.png")
        if os.path.exists(snap):
            os.remove(snap)
        args = ["play", video, "--snapshot", snap, "--json"] + (["--seek", seek] if seek else [])
        r = run(tool, *args)
        if not check(r.returncode == 0 and r.stderr == "", "play %s: exit %d, %r" % (seek, r.returncode, r.stderr)):
            continue
        p = json.loads(r.stdout)
        stamp = png_stamp.frame_stamp(snap)
        check(p["frameIndex"] == stamp, "play %s: frameIndex %s, stamp %s" % (seek, p["frameIndex"], stamp))
        check(expected is None or stamp == expected, "play %s reached frame %s" % (seek, stamp))
        check(p["playedMillis"] == p["frameIndex"] * 100, "play %s: played %s ms" % (seek, p["playedMillis"]))
        check(p["wallClockMillis"] == 1622873280000 + p["playedMillis"], "play %s: wall clock" % seek)
        check(p["snapshot"] == {"path": snap, "width": 320, "height": 240}, "play snapshot %s" % p["snapshot"])
        check(p["camera"] == "Camera 2" and p["cameras"] == 1, "play camera %s" % p)

    # Progress: never into a pipe, on a terminal only without --quiet, and wiped at the end.
    r = run(tool, *base)
    check(r.returncode == 0 and r.stderr == "", "make-sample into a pipe printed %r" % r.stderr)
    code, out, seen = on_a_terminal([tool, *base])
    check(code == 0 and b"\r\x1b[Kmake-sample: " in seen and b"frames" in seen and seen.endswith(b"\r\x1b[K"),
          "make-sample progress on a terminal: %r" % seen[-200:])
    check(out.count("\n") == 3, "make-sample paths with progress: %r" % out)
    code, out, seen = on_a_terminal([tool, *base, "--quiet"])
    check(code == 0 and seen == b"", "make-sample --quiet on a terminal: %r" % seen[:200])
    return [f["path"] for f in made["files"] if not f["partial"]]


def dewarp(tool, tmp, videos):
    """One view of a fisheye sample: written at the size asked, the file untouched; a file without a
    fisheye camera is refused with exit 1 and no picture."""
    folder = os.path.join(tmp, "fisheye")
    r = run(tool, "make-sample", folder, "--cameras", "1", "--duration", "2", "--fps", "10", "--size", "640x480",
            "--fisheye", "--mount", "Wall", "--quiet", "--json")
    if not check(r.returncode == 0, "make-sample --fisheye: exit %d, %r" % (r.returncode, r.stderr)):
        return
    fisheye = json.loads(r.stdout)["files"][0]["path"]
    digest = sha256(fisheye)
    # The tag's fisheye kind: single views only, or the combined layouts as well.
    r = run(tool, "info", fisheye, "--json")
    check(r.returncode == 0 and json.loads(r.stdout)["fisheyeKind"] == 1, "fisheye sample kind %r" % r.stdout[:200])
    layouts = os.path.join(tmp, "fisheye-layouts")
    r = run(tool, "make-sample", layouts, "--duration", "1", "--fps", "5", "--fisheye", "--fisheye-layouts",
            "--quiet", "--json")
    if check(r.returncode == 0, "make-sample --fisheye-layouts: exit %d, %r" % (r.returncode, r.stderr)):
        r = run(tool, "info", json.loads(r.stdout)["files"][0]["path"], "--json")
        check(r.returncode == 0 and json.loads(r.stdout)["fisheyeKind"] == 2, "layouts sample kind %r" % r.stdout[:200])
    r = run(tool, "make-sample", layouts, "--fisheye-layouts", "--quiet")
    check(r.returncode == 64 and "--fisheye" in r.stderr, "--fisheye-layouts alone: exit %d, %r" % (r.returncode, r.stderr))
    for mode, extra in (("ptz", ["--pos", "0.5,0.5", "--zoom", "0.3"]), ("360", ["--offset", "1.5"]),
                        ("fisheye", [])):
        out = os.path.join(tmp, "view-%s.png" % mode)
        r = run(tool, "dewarp", fisheye, "--mode", mode, *extra, "--size", "320x180", "--out", out, "--json")
        if not check(r.returncode == 0 and r.stderr == "", "dewarp %s: exit %d, %r" % (mode, r.returncode, r.stderr)):
            continue
        d = json.loads(r.stdout)
        check(d["mode"] == mode and d["mount"] == "Wall" and d["frameIndex"] >= 0, "dewarp %s report %s" % (mode, d))
        check(d["out"] == {"path": out, "width": 320, "height": 180} and png_size(out) == (320, 180),
              "dewarp %s picture %s" % (mode, d["out"]))
    check(sha256(fisheye) == digest, "dewarp changed the file")
    out = os.path.join(tmp, "not-fisheye.png")
    r = run(tool, "dewarp", videos[0], "--mode", "ptz", "--out", out)
    check(r.returncode == 1 and "holds no fisheye camera" in r.stderr and not os.path.exists(out),
          "dewarp of a plain camera: exit %d, %r" % (r.returncode, r.stderr))


def metadata(tool, tmp, videos):
    """A vehicle's section as make-sample lays it (slot 0, before the bookmarks), read back by
    `metadata --json` and by this script from the bytes; a bookmark save leaves it as it was;
    a plain file has none (1) and a spoilt mark is refused (2)."""
    folder = os.path.join(tmp, "vehicle")
    r = run(tool, "make-sample", folder, "--duration", "5", "--fps", "5", "--size", "320x240", "--metadata",
            "--route=-33.8568,151.2153", "--quiet", "--json")
    if not check(r.returncode == 0, "make-sample --metadata: exit %d, %r" % (r.returncode, r.stderr)):
        return
    video = json.loads(r.stdout)["files"][0]["path"]
    r = run(tool, "metadata", video, "--json")
    if not check(r.returncode == 0 and r.stderr == "", "metadata: exit %d, %r" % (r.returncode, r.stderr)):
        return
    d = json.loads(r.stdout)
    check(d["slot"] == 0 and len(d["samples"]) == 6, "metadata: slot %s, %d samples" % (d["slot"], len(d["samples"])))
    check({s["inputType"] // 100 for s in d["settings"]} >= {0, 5}, "metadata settings groups %s" % d["settings"])
    first = d["samples"][0]
    check(first["latitudeHemisphere"] == "S" and abs(first["latitude"] - -33.8568) < 0.01
          and first["time"] == "2021-06-05 07:08:00.000", "metadata first sample %s" % first)
    # The section's bytes as the tag's table gives them: the mark and the counts of its header.
    info = json.loads(run(tool, "info", video, "--json").stdout)
    slots = {x["slot"]: x["position"] for x in info["sections"]}
    data = open(video, "rb").read()
    section = data[slots[0]:slots[100]]
    header = struct.unpack_from("<HHIIII", section, 4)  # version, sizes and counts
    check(section[:4] == b"PLMD" and header[3] == len(d["settings"]) and header[5] == 6
          and len(section) == 32 + header[2] * header[3] + header[4] * header[5], "metadata header %r" % (header,))
    before = run(tool, "metadata", video, "--json").stdout
    run(tool, "bookmarks", video, "add", "--name", "Stop", "--time", "2021-06-05 07:08:03")
    check(run(tool, "metadata", video, "--json").stdout == before, "a bookmark save changed the metadata")
    r = run(tool, "metadata", videos[0])
    check(r.returncode == 1 and "holds no metadata section" in r.stderr, "metadata of a plain file: %d %r" % (r.returncode, r.stderr))
    spoilt = os.path.join(tmp, "spoilt.video")
    shutil.copyfile(video, spoilt)
    with open(spoilt, "r+b") as f:
        f.seek(slots[0])
        f.write(b"XXXX")
    r = run(tool, "metadata", spoilt)
    check(r.returncode == 2 and "does not begin with its mark" in r.stderr, "spoilt metadata: %d %r" % (r.returncode, r.stderr))


def custody(tool, tmp, videos):
    video = videos[0]
    before = sha256(video)
    data = open(video, "rb").read()
    report = os.path.join(tmp, "custody.txt")
    r = run(tool, "custody", video, "--report", report, "--json")
    check(r.returncode == 0 and r.stderr == "", "custody --json: exit %d, stderr %r" % (r.returncode, r.stderr))
    got = json.loads(r.stdout)
    end = got["regionEnd"]
    check(got["sha256File"] == hashlib.sha256(data).hexdigest() and got["md5File"] == hashlib.md5(data).hexdigest()
          and 0 < end < len(data) and got["sha256Region"] == hashlib.sha256(data[:end]).hexdigest()
          and got["size"] == len(data) and got["changedWhileRead"] is False and got["report"] == report,
          "custody --json against the file's bytes: %s" % got)
    check(os.path.exists(report) and got["sha256File"] in open(report).read(), "custody report written")
    # The report is never written over evidence: refused, the file as it was.
    other = sha256(videos[1])
    r = run(tool, "custody", video, "--report", videos[1])
    check(r.returncode == 2 and r.stdout == "" and sha256(videos[1]) == other,
          "custody --report over evidence refused: exit %d, %r" % (r.returncode, r.stdout))
    check(sha256(video) == before, "custody left the file as it was")


def packages(tool, tmp, videos):
    player = os.path.join(tmp, "player")
    open(player, "wb").write(bytes(range(256)) * 8)
    os.chmod(player, 0o755)
    package = os.path.join(tmp, "evidence.exe")
    r = run(tool, "package", "create", package, *videos, "--player", player, "--password", "pw", "--json")
    check(r.returncode == 0 and r.stderr == "", "package create: %r" % r.stderr)
    check(json.loads(r.stdout) == {"path": package, "kind": 2, "files": videos, "password": True},
          "package create --json %s" % r.stdout)
    r = run(tool, "package", "list", package, "--json")
    listed = json.loads(r.stdout)
    check(listed["kind"] == 2 and listed["protection"] == "password" and listed["path"] == package,
          "package list --json %s" % listed)
    data = open(package, "rb").read()
    check(data[:2048] == open(player, "rb").read(), "package: player part")
    check([e["name"] for e in listed["entries"]] == [os.path.basename(v) for v in videos], "entry names")
    for e, v in zip(listed["entries"], videos):
        check(data[e["offset"]:e["offset"] + e["size"]] == open(v, "rb").read(), "entry bytes of " + v)
    out_dir = os.path.join(tmp, "extracted")
    r = run(tool, "package", "extract", package, out_dir, "--password", "pw", "--json")
    got = json.loads(r.stdout)
    check(r.returncode == 0 and got["files"] == [os.path.join(out_dir, os.path.basename(v)) for v in videos],
          "package extract --json %s" % got)
    for path, v in zip(got["files"], videos):
        check(sha256(path) == sha256(v), "extracted bytes of " + v)

    one = os.path.join(tmp, "one.exe")
    code, out, seen = on_a_terminal([tool, "package", "create", one, videos[0], "--player", player, "--kind", "1"])
    check(code == 0 and b"package create: " in seen and b"MiB" in seen and seen.endswith(b"\r\x1b[K"),
          "package progress on a terminal: %r" % seen[-200:])
    r = run(tool, "package", "create", one, videos[0], "--player", player, "--kind", "1")
    check(r.returncode == 0 and r.stderr == "", "package create into a pipe printed %r" % r.stderr)
    listed = json.loads(run(tool, "package", "list", one, "--json").stdout)
    e = listed["entries"][0]
    check(listed["kind"] == 1 and listed["protection"] == "none" and len(listed["entries"]) == 1, "kind 1 %s" % listed)
    check(open(one, "rb").read()[e["offset"]:e["offset"] + e["size"]] == open(videos[0], "rb").read(), "kind 1 bytes")


class TileServer(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        parts = self.path.strip("/").removesuffix(".png").split("/")
        if len(parts) != 3 or parts[1] == "7":
            self.send_response(404)
            self.end_headers()
            return
        body = png_stamp.write_png(8, 8, int(parts[1]) * 40)
        self.send_response(200)
        self.send_header("Content-Type", "image/png")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def tiles(tool, tmp):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), TileServer)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    cache = os.path.join(tmp, "tiles.gmdb")
    url = "http://127.0.0.1:%d" % server.server_address[1]
    try:
        r = run(tool, "tiles", "fetch", "--cache", cache, "--server", url, "--json", "3", "1", "2", "3", "2", "2")
        fetched = json.loads(r.stdout)
        check(r.returncode == 0, "tiles fetch exit %d %r" % (r.returncode, r.stderr))
        served = {(3, x, 2): hashlib.md5(png_stamp.write_png(8, 8, x * 40)).hexdigest() for x in (1, 2)}
        check([(t["zoom"], t["x"], t["y"], t["status"], t["md5"]) for t in fetched["tiles"]]
              == [(3, 1, 2, "stored", served[(3, 1, 2)]), (3, 2, 2, "stored", served[(3, 2, 2)])],
              "tiles fetch --json %s" % fetched)
        r = run(tool, "tiles", "fetch", "--cache", cache, "--server", url, "--json", "3", "7", "2")
        check(r.returncode == 1 and json.loads(r.stdout)["tiles"][0]["status"] == "not stored", "missing tile")
    finally:
        server.shutdown()
    listed = json.loads(run(tool, "tiles", "list", "--cache", cache, "--json").stdout)
    db = sqlite3.connect(cache)
    rows = db.execute("SELECT Tiles.id, Zoom, X, Y, CacheTime, Tile FROM Tiles "
                      "LEFT JOIN TilesData ON TilesData.id = Tiles.id ORDER BY Tiles.id").fetchall()
    db.close()
    check([(t["id"], t["zoom"], t["x"], t["y"], t["cacheTime"], t["size"], t["md5"]) for t in listed["tiles"]]
          == [(i, z, x, y, c, len(b), hashlib.md5(b).hexdigest()) for i, z, x, y, c, b in rows],
          "tiles list --json %s vs %s" % (listed, rows))
    check(listed["cache"] == cache and len(rows) == 2, "tiles list rows")


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    check(head[:8] == b"\x89PNG\r\n\x1a\n", path + " is not a PNG")
    return struct.unpack(">II", head[16:24])


def map_on_loopback_tiles(tool, tmp):
    """`tiles serve` answers the map; a screenshot waits for the view's tiles, and returns at once
    without the network and on a view of the whole world."""
    env = dict(os.environ, HOME=tmp)
    env.pop("DISPLAY", None)
    server = subprocess.Popen([tool, "tiles", "serve", "--port", "0"], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True, env=env)
    try:
        first = server.stdout.readline()
        m = re.fullmatch(r"serving (http://127\.0\.0\.1:\d+)/\n", first)
        if not check(m is not None, "tiles serve: %r" % first):
            return
        url = m.group(1)
        cache = os.path.join(tmp, "map.gmdb")
        shot = os.path.join(tmp, "map.png")
        view = ["map", "--cache", cache, "--server", url, "--center", "13.405,52.52", "--zoom", "12",
                "--marker", "13.405,52.52", "--size", "640x480", "--units", "metric"]
        r = run(tool, *view, "--screenshot", shot, "--wait", "60", "--json", env=env)
        if check(r.returncode == 0 and r.stderr == "", "map screenshot: exit %d, %r" % (r.returncode, r.stderr)):
            got = json.loads(r.stdout)
            check(got["tilesWanted"] > 0 and got["tilesCached"] == got["tilesWanted"] and got["internet"] is True,
                  "map screenshot tiles %s" % got)
            check((got["width"], got["height"]) == png_size(shot) == (640, 480), "map screenshot size %s" % got)
            check((got["zoom"], got["longitude"], got["latitude"]) == (12, 13.405, 52.52), "map view %s" % got)
        listed = json.loads(run(tool, "tiles", "list", "--cache", cache, "--json").stdout)["tiles"]
        check(any((t["zoom"], t["x"], t["y"]) == (12, 2200, 1343) for t in listed), "centre tile not cached")
    finally:
        server.terminate()
        server.wait()
    for words in (["--offline"], ["--center", "0,0", "--zoom", "1"]):
        os.remove(shot)
        r = run(tool, *view, *words, "--screenshot", shot, "--wait", "60", env=env)
        check(r.returncode == 0 and r.stdout.startswith("screenshot " + shot) and os.path.exists(shot),
              "map %s: exit %d, %r %r" % (words, r.returncode, r.stdout, r.stderr))


def unprivileged_runner(tool):
    """A command prefix that runs the tool as a user without privileges, or None."""
    if os.geteuid() != 0:
        return []
    try:
        nobody = pwd.getpwnam("nobody")
    except KeyError:
        return None
    for prefix in (["setpriv", "--reuid=%d" % nobody.pw_uid, "--regid=%d" % nobody.pw_gid, "--clear-groups"],
                   ["runuser", "-u", "nobody", "--"]):
        if shutil.which(prefix[0]) and run(tool, "--version", prefix=prefix).returncode == 0:
            return prefix
    return None


def write_protection(tool, maker, tmp, who, prefix):
    folder = os.path.join(tmp, "protected-" + who)
    os.mkdir(folder)
    path = os.path.join(folder, "evidence.video")
    make_tag(maker, path, "--bookmark", "Entry|638144784000000000|Man at door")
    if prefix and os.geteuid() == 0:
        nobody = pwd.getpwnam("nobody")
        os.chown(folder, nobody.pw_uid, nobody.pw_gid)
        os.chown(path, nobody.pw_uid, nobody.pw_gid)
    env = dict(os.environ, HOME=folder)
    for mode in (0o444, 0o400, 0o555):
        os.chmod(path, mode)
        before = folder_state(folder)
        for words in (["add", "--name", "x", "--time", "1622873340"], ["delete", "Entry"], ["clear"]):
            r = run(tool, "bookmarks", path, *words, prefix=prefix, env=env)
            check(r.returncode == 2 and r.stdout == "" and "The file is write-protected: " + path in r.stderr,
                  "%s mode %o %s: exit %d, %r" % (who, mode, words[0], r.returncode, r.stderr))
            check(folder_state(folder) == before, "%s mode %o %s changed the folder" % (who, mode, words[0]))
    os.chmod(path, 0o644)
    r = run(tool, "bookmarks", path, "add", "--name", "Later", "--time", "1622873340", prefix=prefix, env=env)
    check(r.returncode == 0, "%s mode 644 add: %r" % (who, r.stderr))
    check([n for n, _, _ in read_bookmarks(path)[2]] == ["Entry", "Later"], who + " mode 644 not saved")
    check(sorted(os.listdir(folder)) == ["evidence.video"], who + " left %s" % os.listdir(folder))


def watermark(tool, tmp):
    """The clean, broken, gapped and unwatermarked samples exit 0, 4, 3 and 3, as the player sees them."""
    cases = [("clean", ["--watermark"], 0, "verified"),
             ("break", ["--watermark", "--watermark-break", "3"], 4, "broken"),
             ("gap", ["--watermark", "--watermark-gap", "2-6"], 3, "missing"),
             ("none", [], 3, "missing")]
    for name, extra, code, state in cases:
        folder = os.path.join(tmp, "wm-" + name)
        r = run(tool, "make-sample", folder, "--duration", "8", "--fps", "10", "--size", "160x96", "--quiet",
                "--start", "2021-06-05T06:08:00Z", *extra)
        if not check(r.returncode == 0, "make-sample %s: %r" % (name, r.stderr)):
            continue
        video = r.stdout.split()[0]
        before = sha256(video)
        r = run(tool, "watermark", video, "--json")
        check(r.returncode == code and r.stderr == "", "watermark %s: exit %d, %r" % (name, r.returncode, r.stderr))
        got = json.loads(r.stdout) if r.stdout else {}
        cams = got.get("cameras", [{}])
        check(got.get("state") == state and len(cams) == 1 and cams[0].get("state") == state,
              "watermark %s --json: %s" % (name, got))
        if name == "break":
            f = cams[0].get("failures", [])
            check(cams[0].get("recordsFailed") == 1 and len(f) == 1 and f[0]["sequence"] == 3
                  and f[0]["reason"] == "seal does not match"
                  and cams[0]["text"] == "Broken: 1 of 8 records failed, first at 05-06-2021 07:08:03",
                  "watermark break failures: %s" % cams[0])
        if name == "clean":
            check(cams[0].get("text") == "Verified (8 records)" and cams[0].get("serialNumber") is not None,
                  "watermark clean: %s" % cams[0])
        if name == "gap":
            check(cams[0].get("text") == "Missing: no record between 05-06-2021 07:08:01 and 05-06-2021 07:08:06",
                  "watermark gap: %s" % cams[0])
        r = run(tool, "watermark", video)
        check(r.returncode == code and ("Watermark:  " + state) in r.stdout, "watermark %s text: %r" % (name, r.stdout))
        if name == "break":
            check("record 3 at 05-06-2021 07:08:03" in r.stdout and "failed: seal does not match" in r.stdout,
                  "watermark break lists the failed record: %r" % r.stdout)
        check(sha256(video) == before, "watermark %s left the file as it was" % name)
    r = run(tool, "watermark", os.path.join(tmp, "no-such.video"))
    check(r.returncode == 2 and r.stdout == "", "watermark of a missing file: exit %d" % r.returncode)


def main():
    tool, maker = sys.argv[1], sys.argv[2]
    version = sys.argv[3] if len(sys.argv) > 3 else None
    with tempfile.TemporaryDirectory() as tmp:
        os.chmod(tmp, 0o755)
        tag_versions(tool, maker, tmp)
        every_time_form_is_the_same_bookmark(tool, maker, tmp)
        help_version_and_mistakes(tool, maker, tmp, version)
        videos = samples_play_and_progress(tool, tmp)
        custody(tool, tmp, videos)
        metadata(tool, tmp, videos)
        dewarp(tool, tmp, videos)
        watermark(tool, tmp)
        packages(tool, tmp, videos)
        tiles(tool, tmp)
        map_on_loopback_tiles(tool, tmp)
        if os.geteuid() == 0:
            write_protection(tool, maker, tmp, "root", [])
        else:
            print("SKIP: write protection as root (not running as root)")
        prefix = unprivileged_runner(tool)
        if prefix is None:
            print("SKIP: write protection as a normal user (no unprivileged user can be had)")
        else:
            write_protection(tool, maker, tmp, "user", prefix)

    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
