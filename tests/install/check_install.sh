#!/usr/bin/env bash
# check_install.sh BUILD_DIR: installs the build into a temporary root with prefix /usr, as the
# Debian package does, and checks what a user relies on there. Needs no display.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr

for program in plomera plomera-evidence; do
  [ -f "$usr/bin/$program" ] && [ -x "$usr/bin/$program" ] || fail "$program not installed as a program"
done

# The desktop entry: valid, and every name in it resolves to something installed.
desktop=$usr/share/applications/plomera.desktop
[ -f "$desktop" ] || fail "no desktop entry"
if command -v desktop-file-validate >/dev/null; then
  report=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop entry invalid: $report"
  ! grep -q 'error:' <<<"$report" || fail "desktop entry invalid: $report"
fi
key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
[ "$(head -n 1 "$desktop")" = "[Desktop Entry]" ] || fail "desktop entry does not start with its group"
[ "$(key Type)" = Application ] || fail "desktop entry is not an application"
exec_line=$(key Exec)
[ -x "$usr/bin/${exec_line%% *}" ] || fail "Exec names no installed program: $exec_line"
# A file manager hands the double-clicked file over only through a field code.
grep -Eq ' %[fFuU]( |$)' <<<"$exec_line" || fail "Exec takes no file: $exec_line"
icon=$(key Icon)
[ -n "$(find "$usr/share/icons/hicolor" -path "*/apps/$icon.*" \( -name "*.svg" -o -name "*.png" \))" ] \
  || fail "no icon $icon in hicolor"
mime_types=$(key MimeType)
[ -n "$mime_types" ] || fail "desktop entry names no MIME type"

# The MIME types: the XML is well formed, defines every type the entry names, and the two
# evidence suffixes map to them; the icon is well-formed SVG.
python3 - "$usr" "$mime_types" "$icon" <<'PY'
import glob, sys, xml.etree.ElementTree as ET
usr, wanted, icon = sys.argv[1], [t for t in sys.argv[2].split(";") if t], sys.argv[3]
ns = "{http://www.freedesktop.org/standards/shared-mime-info}"
globs = {}
for path in glob.glob(usr + "/share/mime/packages/*.xml"):
    for mime in ET.parse(path).getroot().iter(ns + "mime-type"):
        globs[mime.get("type")] = [g.get("pattern") for g in mime.iter(ns + "glob")]
missing = [t for t in wanted if t not in globs]
if missing:
    sys.exit("FAIL: MIME types not defined: %s" % missing)
named = {p for t in wanted for p in globs[t]}
for pattern in ("*.video", "*.partial"):
    if pattern not in named:
        sys.exit("FAIL: no MIME type of the desktop entry takes %s" % pattern)
for svg in glob.glob(usr + "/share/icons/hicolor/scalable/apps/%s.svg" % icon):
    if not ET.parse(svg).getroot().tag.endswith("svg"):
        sys.exit("FAIL: %s is not SVG" % svg)
PY

# The manual page renders without complaint and is the companion's.
page=$usr/share/man/man1/plomera-evidence.1.gz
[ -f "$page" ] || fail "no manual page"
if command -v groff >/dev/null; then
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || fail "manual page: $warnings"
  zcat "$page" | groff -man -Tutf8 2>/dev/null | grep -q 'plomera-evidence - command-line companion' \
    || fail "manual page renders no NAME line"
else
  zcat "$page" | grep -q '^\.TH PLOMERA-EVIDENCE 1' || fail "manual page has no .TH line"
fi

# The installed companion runs, and finds the decoding library installed beside it rather than
# the build's.
evidence=$usr/bin/plomera-evidence
help=$("$evidence" --help) || fail "plomera-evidence --help failed"
grep -q '^usage: plomera-evidence' <<<"$help" || fail "plomera-evidence --help prints no usage"
if grep -q 'make-sample' <<<"$help"; then
  "$evidence" make-sample "$root/sample" --duration 2 --size 160x120 --quiet >/dev/null \
    || fail "make-sample failed"
  loaded=$(env -u CODECINTERFACE LD_DEBUG=files "$evidence" play "$root/sample/camera_1.video" 2>&1 >/dev/null) \
    || fail "play failed: $(tail -n 5 <<<"$loaded")"
  grep -q "file=$usr/lib/plomera/libvdl.so" <<<"$loaded" || fail "play did not load $usr/lib/plomera/libvdl.so"
fi
echo "installed tree in order"
