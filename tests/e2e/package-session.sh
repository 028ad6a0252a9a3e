#!/usr/bin/env bash
# A self-contained package's round trip on the real player under an X server: a password-protected
# package of two demo cameras is run, gets a bookmark, and is written anew on closing; the new
# package is run again and read back with the command-line companion. Everything goes in through
# the X server as a user's input would (xdotool, no window manager: keys go to the window under
# the pointer); a picture of the whole screen is taken at every step.
# Usage: package-session.sh PLOMERA PLOMERA_EVIDENCE OUT_DIR (under an X server).
set -euo pipefail
# Absolute: the packages run from folders of their own.
player=$(realpath "$1") tool=$(realpath "$2") out=$(realpath -m "$3")
here=$(cd "$(dirname "$0")" && pwd)
password=SECRET
mark="Pkg mark"

rm -rf "$out"
mkdir -p "$out/shots" "$out/evidence" "$out/runtime" "$out/check"
chmod 700 "$out/runtime"
. "$here/e2e-home.sh"
e2e_home "$out"
export XDG_RUNTIME_DIR=$out/runtime

step="setup"
started=$SECONDS
running=""
cleanup() {
  if [ -n "$running" ] && kill -0 "$running" 2>/dev/null; then
    kill "$running" 2>/dev/null || true
  fi
}
trap cleanup EXIT

fail() {
  echo "package-session: FAILED at $step: $*" >&2
  shot "failure" || true
  exit 1
}
ok() { echo "  ok: $*"; }
begin() {
  step=$1
  echo "== $step ($((SECONDS - started)) s)"
}

shots=0
shot() {
  shots=$((shots + 1))
  import -window root "$out/shots/$(printf '%02d' "$shots")-$1.png"
}

# Polls a command every tenth of a second until it succeeds; false after the timeout (seconds).
wait_until() {
  local timeout=$1
  shift
  local deadline=$((SECONDS + timeout))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# The shown top-level window of that exact title; the largest when several share it (the player's
# main window and its pop-up menus are all named after the program).
shown_window() {
  local id best="" area=0 WINDOW X Y WIDTH HEIGHT SCREEN
  for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
    WIDTH=0 HEIGHT=0
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
    if [ $((WIDTH * HEIGHT)) -gt "$area" ]; then
      best=$id area=$((WIDTH * HEIGHT))
    fi
  done
  [ -n "$best" ] && echo "$best"
}
has_window() { shown_window "$1" > /dev/null; }
no_window() { ! has_window "$1"; }

# Waits for the window and echoes its id.
window() {
  wait_until "${2:-30}" has_window "$1" || fail "no \"$1\" window came up"
  shown_window "$1"
}

# Puts the pointer at a point of a window given as fractions of its size (keys go there).
point_into() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove "$(awk -v x="$X" -v w="$WIDTH" -v f="$2" 'BEGIN { printf "%d", x + w * f }')" \
                    "$(awk -v y="$Y" -v h="$HEIGHT" -v f="$3" 'BEGIN { printf "%d", y + h * f }')"
  sleep 0.2
}

# The frame index stamped into the picture of the grid's first tile (every demo frame carries
# one), read off the screen into $frame; false while none is readable there.
read_tile() {
  local WINDOW X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$1")"
  import -window root "$out/check/screen.png" &&
    convert "$out/check/screen.png" -crop "$(awk -v x="$X" -v y="$Y" -v w="$WIDTH" -v h="$HEIGHT" \
      'BEGIN { printf "%dx%d+%d+%d", w * 0.246, h * 0.179, x + w * 0.257, y + h * 0.137 }')" \
      +repage -resize '640x360!' "$out/check/tile.png" &&
    frame=$("$tool" stamp "$out/check/tile.png" 2>/dev/null)
}

log_has() { [ -f "$1" ] && grep -qF -- "$2" "$1"; }
alive() { kill -0 "$1" 2>/dev/null; }
stopped() { ! alive "$1"; }

# Starts a package in its own working folder with a temporary folder of its own (the player
# extracts into TMPDIR/Plomera_<version>).
start_package() {
  local package=$1 dir=$2
  mkdir -p "$dir/work" "$dir/tmp"
  cp "$package" "$dir/work/"
  (cd "$dir/work" && TMPDIR=$dir/tmp exec "./$(basename "$package")") > "$dir/output.txt" 2>&1 &
  running=$!
}

# Waits for the running package to end and checks it ended well.
finish_package() {
  wait_until "${1:-60}" stopped "$running" || fail "the player did not end within ${1:-60} s"
  local status=0
  wait "$running" || status=$?
  running=""
  [ "$status" -eq 0 ] || fail "the player ended with status $status"
  ok "the player ended with status 0"
}

# Enters the password in the player's prompt.
enter_password() {
  local dialog
  dialog=$(window "Enter Password")
  ok "the password is asked for"
  point_into "$dialog" 0.5 0.5
  xdotool type --delay 30 "$password"
  xdotool key Return
  wait_until 10 no_window "Enter Password" || fail "the password prompt stayed"
}

# The player's log must say it opened both extracted files, from its temporary folder.
check_opened() {
  local log=$1 dir=$2 name extracted
  for name in camera_1.video camera_2.video; do
    if ! wait_until 30 grep -sqE "Video File Opened Successfully : $dir/tmp/Plomera_[^/]*/$name" "$log"; then
      extracted=$(cd "$dir/tmp" && ls -d Plomera_*/*.video 2>/dev/null | tr '\n' ' ' || true)
      fail "the log has no \"Video File Opened Successfully\" for the extracted $name;" \
        "files extracted: ${extracted:-none (the password refused, or extraction failed)}"
    fi
    ok "opened $(grep -m1 -oE "$dir/tmp/Plomera_[^/]*/$name" "$log")"
  done
}

# Error records look like "  HH:MM:SS.mmm<TAB>thread<TAB>Error  <TAB>text"; a session on sound
# evidence writes none.
check_no_errors() {
  local errors
  errors=$(grep -P '^\s+\d\d:\d\d:\d\d\.\d{3}\t\S+\s*\tError' "$1" || true)
  [ -z "$errors" ] || fail "the log has error records:"$'\n'"$errors"
  ok "no error records in ${1#"$out"/}"
}

# A pop-up menu of the player is shown (a window of its own, named after the program like the
# main window, told apart by its type).
menu_shown() {
  local id
  for id in $(xdotool search --onlyvisible --class "^Ombrix Player\$" 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep _NET_WM_WINDOW_TYPE_POPUP_MENU > /dev/null && return 0
  done
  return 1
}

# Opens the main window's File menu and chooses Exit by its mnemonic.
file_exit() {
  xdotool mousemove --window "$1" 20 8 click 1
  wait_until 5 menu_shown || fail "the File menu did not open"
  xdotool key x
}

bookmark_names() { "$tool" info --json "$1" | python3 -c 'import json,sys; [print(b["name"]) for b in json.load(sys.stdin)["bookmarks"]]'; }
region_digest() { "$tool" custody --json "$1" | python3 -c 'import json,sys; print(json.load(sys.stdin)["sha256Region"] or "")'; }

##########
begin "step 1: the demo evidence and a package of two cameras"
PLOMERA_EVIDENCE=$tool bash "$here/../../scripts/make-demo" "$out/evidence" > "$out/make-demo.log" 2>&1 ||
  fail "make-demo failed (see $out/make-demo.log)"
ev=$out/evidence
"$tool" package create "$out/package" "$ev/camera_1.video" "$ev/camera_2.video" --password "$password" \
  --player "$player" --quiet || fail "package create failed"
[ -x "$out/package" ] || fail "the package is not executable"
ok "package written: $(stat -c %s "$out/package") bytes"
marks_before=$(bookmark_names "$ev/camera_2.video" | wc -l) || fail "info cannot read camera_2.video"
digest_before=$(region_digest "$ev/camera_2.video") || fail "custody cannot read camera_2.video"
[ -n "$digest_before" ] || fail "custody reports no stream-region digest for camera_2.video"
ok "camera_2.video holds $marks_before bookmarks; stream region $digest_before"

##########
begin "step 2: the package asks for the password and opens what it extracts"
first=$out/first
start_package "$out/package" "$first"
enter_password
check_opened "$first/work/OmbrixPlayer.log" "$first"
for name in camera_1.video camera_2.video; do
  cmp -s "$ev/$name" "$first"/tmp/Plomera_*/"$name" || fail "the extracted $name differs from the one packed"
done
ok "both files extracted byte for byte"
main=$(window "Ombrix Player")
wait_until 20 read_tile "$main" || fail "the first tile shows no picture of the evidence"
ok "the first tile shows frame $frame"
shot "package-opened"

##########
begin "step 3: a bookmark added, and the package written anew on closing"
# The package shows its last file, camera 2, in the grid's first tile (upper left of the grid,
# right of the navigator): selecting it sends the bookmark there.
point_into "$main" 0.38 0.23
xdotool click 1
xdotool key b
dialog=$(window "Add Bookmark" 10)
point_into "$dialog" 0.5 0.5
xdotool type --delay 30 "$mark"
shot "bookmark-add"
xdotool key Return
wait_until 10 no_window "Add Bookmark" || fail "the bookmark dialog stayed"
ok "bookmark \"$mark\" entered"
shot "bookmark-added"

file_exit "$main"
question=$(window "Save Bookmarks" 10)
ok "closing asks to save the bookmarks"
shot "save-question"
point_into "$question" 0.5 0.5
xdotool key Return  # Yes
save=$(window "Save As" 20)
ok "a new package is asked for"
wait_until 10 log_has "$first/work/OmbrixPlayer.log" "Bookmarks Written To LocalFile : " ||
  fail "the log does not say the bookmarks were written"
point_into "$save" 0.5 0.5
xdotool type --delay 20 "$out/package-new"
shot "save-as"
xdotool key Return
finish_package 60
[ -x "$out/package-new" ] || fail "no new package at $out/package-new"
ok "new package written: $(stat -c %s "$out/package-new") bytes"
cmp -s "$out/package" "$first/work/package" || fail "the package that ran was changed"
ok "the package that ran is unchanged"
check_no_errors "$first/work/OmbrixPlayer.log"

##########
begin "step 4: the new package opens with the bookmark, the stream untouched"
"$tool" package list "$out/package-new" > "$out/check/list.txt" || fail "package list refuses the new package"
grep -qx "protection: password" "$out/check/list.txt" || fail "the new package lost its password: $(cat "$out/check/list.txt")"
ok "the new package keeps its password"
# The player in front of the files is the one the first package carried, byte for byte.
player_size=$("$tool" package list "$out/package" | sed -n 's/^entry 0: offset \([0-9]*\) .*/\1/p') ||
  fail "package list refuses the first package"
grep -qx "entry 0: offset $player_size .*" "$out/check/list.txt" ||
  fail "the new package's files do not start where its player ends ($player_size): $(cat "$out/check/list.txt")"
cmp -s -n "$player_size" "$out/package" "$out/package-new" || fail "the new package carries another player"
ok "the new package carries the same player"
second=$out/second
start_package "$out/package-new" "$second"
enter_password
check_opened "$second/work/OmbrixPlayer.log" "$second"
bookmark_names "$second"/tmp/Plomera_*/camera_2.video | grep -xF "$mark" > /dev/null ||
  fail "the player's own copy of camera_2.video has no \"$mark\""
ok "the player extracted camera_2.video with \"$mark\""
main=$(window "Ombrix Player")
wait_until 20 read_tile "$main" || fail "the first tile shows no picture of the evidence"
ok "the first tile shows frame $frame"
shot "new-package-opened"
# Nothing changed this time: closing neither asks nor writes a package.
file_exit "$main"
ended_or_asked() { stopped "$running" || has_window "Save Bookmarks" || has_window "Save As"; }
wait_until 30 ended_or_asked || fail "the player did not end within 30 s"
for title in "Save Bookmarks" "Save As"; do
  no_window "$title" || fail "\"$title\" came up with nothing changed"
done
finish_package 5
ok "closed without questions"
check_no_errors "$second/work/OmbrixPlayer.log"

if "$tool" package extract "$out/package-new" "$out/check/wrong" --password "not-$password" --quiet > /dev/null 2>&1; then
  fail "the new package opened with a wrong password"
fi
"$tool" package extract "$out/package-new" "$out/check/files" --password "$password" --quiet > /dev/null ||
  fail "package extract refuses the new package"
cmp -s "$ev/camera_1.video" "$out/check/files/camera_1.video" || fail "camera_1.video changed in the new package"
ok "camera_1.video carried unchanged"
marks_after=$(bookmark_names "$out/check/files/camera_2.video" | wc -l) || fail "info cannot read the new camera_2.video"
[ "$marks_after" -eq $((marks_before + 1)) ] ||
  fail "camera_2.video holds $marks_after bookmarks, expected $((marks_before + 1))"
bookmark_names "$out/check/files/camera_2.video" | grep -xF "$mark" > /dev/null || fail "camera_2.video has no bookmark \"$mark\""
ok "camera_2.video holds $marks_after bookmarks, \"$mark\" among them"
# Added at the play position: within the recording.
"$tool" info --json "$out/check/files/camera_2.video" | python3 -c '
import json, sys
d = json.load(sys.stdin)
t = [b["time"] for b in d["bookmarks"] if b["name"] == sys.argv[1]][0]
sys.exit(0 if d["startTime"] <= t <= d["endTime"] else 1)' "$mark" || fail "\"$mark\" lies outside the recording"
ok "\"$mark\" lies within the recording"
digest_after=$(region_digest "$out/check/files/camera_2.video") || fail "custody cannot read the new camera_2.video"
[ "$digest_after" = "$digest_before" ] ||
  fail "camera_2.video's stream region changed: $digest_after, was $digest_before"
ok "camera_2.video's stream region unchanged"

echo "package-session: passed in $((SECONDS - started)) s; pictures in $out/shots"
