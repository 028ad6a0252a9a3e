#!/usr/bin/env bash
# Random input at the player for a while, as an impatient user would give it: clicks, double
# clicks, right clicks, drags, wheel turns and keys anywhere below the menu bar, from a fixed seed
# so that a run can be given again. The evidence is read-only (mode 0444). Afterwards the player is
# closed from its File menu and must end by itself; it must not have crashed, the sanitizers must
# have nothing to say, the evidence must be byte for byte what it was, and the log must hold no
# error other than refused writes.
# Usage (under an X server): monkey.sh PLAYER PLOMERA_EVIDENCE OUT_DIR [SECONDS [SEED]]
set -uo pipefail
player=$1 tool=$2 out=$3 seconds=${4:-300} seed=${5:-20261211}
here=$(cd "$(dirname "$0")" && pwd)
rm -rf "$out"
mkdir -p "$out/shots" "$out/evidence" "$out/sanitizer"
. "$here/e2e-home.sh"
e2e_home "$out"

fail() {
  echo "monkey: $*" >&2
  import -window root "$out/shots/failure.png" 2>/dev/null
  [ -n "${pid:-}" ] && kill -KILL "$pid" 2>/dev/null
  exit 1
}

PLOMERA_EVIDENCE=$tool bash "$here/../../scripts/make-demo" "$out/evidence" > "$out/make-demo.log" 2>&1 \
  || fail "the demo evidence could not be made (see $out/make-demo.log)"
chmod 0444 "$out"/evidence/*.video
(cd "$out/evidence" && sha256sum ./*.video) > "$out/before.sha256"

# Every report goes to a file of its own; a report at all is a failure.
san="$out/sanitizer/report"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:log_path=$san"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$san"
export LSAN_OPTIONS="suppressions=$here/monkey-lsan.supp:print_suppressions=0"

cd "$out/evidence"
"$player" > "$out/player.out" 2>&1 &
pid=$!

# The main window: made the size of the screen, as no window manager does it.
main=""
for _ in $(seq 1 150); do
  main=$(xdotool search --onlyvisible --pid "$pid" --name 'Player' 2>/dev/null | head -1)
  [ -n "$main" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the player ended before its window appeared"
  sleep 0.2
done
[ -n "$main" ] || fail "no main window"
xdotool windowsize "$main" 1600 900 windowmove "$main" 0 0
sleep 3
import -window root "$out/shots/start.png"

# The menu bar is left alone: its commands leave the program or ask for files elsewhere.
top=28 width=1600 height=900
keys=(space k j l Left Right Up Down Home End Prior Next b Escape Return Tab Delete plus minus
      ctrl+g ctrl+s shift+Left shift+Right 1 2 3 4 a z)
RANDOM=$seed
events=0
end=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$end" ]; do
  kill -0 "$pid" 2>/dev/null || fail "the player ended after $events events (seed $seed)"
  x=$((RANDOM % width)) y=$((top + RANDOM % (height - top)))
  case $((RANDOM % 12)) in
    0|1|2) xdotool mousemove "$x" "$y" click 1 ;;
    3) xdotool mousemove "$x" "$y" click --repeat 2 --delay 80 1 ;;
    4) xdotool mousemove "$x" "$y" click 3 ;;
    5|6)
      x2=$((RANDOM % width)) y2=$((top + RANDOM % (height - top)))
      xdotool mousemove "$x" "$y" mousedown 1 sleep 0.1 \
        mousemove $(((x + x2) / 2)) $(((y + y2) / 2)) sleep 0.1 mousemove "$x2" "$y2" sleep 0.2 mouseup 1 ;;
    7) xdotool mousemove "$x" "$y" click --repeat $((1 + RANDOM % 4)) $((4 + RANDOM % 2)) ;;
    8|9|10) xdotool mousemove "$x" "$y" key "${keys[$((RANDOM % ${#keys[@]}))]}" ;;
    11) xdotool mousemove "$x" "$y" type --delay 20 "n$((RANDOM % 100))" ;;
  esac
  events=$((events + 1))
  sleep 0.$((1 + RANDOM % 3))
done
import -window root "$out/shots/after-monkey.png"
echo "monkey: $events events in $seconds s (seed $seed)"

# Closing: first every other window of the player away (Escape over each), then File > Exit.
# A question about unsaved bookmarks is answered No: the files are read-only anyway.
for round in $(seq 1 20); do
  kill -0 "$pid" 2>/dev/null || break
  others=0
  for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
    [ "$w" = "$main" ] && continue
    others=$((others + 1))
    eval "$(xdotool getwindowgeometry --shell "$w")"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Escape
    sleep 0.3
  done
  if [ "$others" -eq 0 ]; then
    xdotool mousemove 20 10 click 1
    sleep 0.5
    xdotool key x
  elif [ "$round" -gt 10 ]; then
    # A question that Escape does not answer: No.
    xdotool key n
  fi
  sleep 1
done
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the player did not end when closed from its File menu"
wait "$pid"
status=$?
cd "$out"

problems=0
if [ "$status" -ne 0 ]; then
  echo "monkey: the player ended with status $status (seed $seed)" >&2
  problems=1
fi
if ls "$out"/sanitizer/report* > /dev/null 2>&1; then
  echo "monkey: sanitizer reports (seed $seed):" >&2
  head -60 "$out"/sanitizer/report* >&2
  problems=1
fi
if ! (cd "$out/evidence" && sha256sum --quiet -c "$out/before.sha256"); then
  echo "monkey: the evidence changed (seed $seed)" >&2
  problems=1
fi
log="$out/evidence/OmbrixPlayer.log"
[ -f "$log" ] || { echo "monkey: no log" >&2; problems=1; }
if [ -f "$log" ] && grep -P '\tError' "$log" | grep -v 'write-protected' > "$out/errors.txt"; then
  echo "monkey: error lines in the log (seed $seed):" >&2
  head -20 "$out/errors.txt" >&2
  problems=1
fi
[ "$problems" -eq 0 ] && echo "monkey: no crash, no sanitizer report, evidence unchanged, no error line"
exit "$problems"
