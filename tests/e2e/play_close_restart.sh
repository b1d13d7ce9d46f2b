#!/bin/sh
# End to end: a 3-question text quiz played in a real X server. Types one right
# answer, one near miss and one wrong one with Enter and Tab, closes the window
# through the window manager, checks the progress file's bytes, starts again
# from the same folder and checks the verdict colours in both screenshots.
# Usage: play_close_restart.sh PACKER PLAYER WORK_FOLDER
# Exit code 77 (skipped) when the X server, xdotool, openbox or wmctrl is missing.
set -u
packer=$1
player=$2
work=$3
title="Villes de France e2e"

for tool in Xvfb xdotool openbox wmctrl; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (packages xvfb xdotool openbox wmctrl)"
    exit 77
  fi
done
for tool in import convert; do
  command -v "$tool" >/dev/null 2>&1 || { echo "FAIL: $tool is missing (package imagemagick)"; exit 1; }
done

rm -rf "$work"
mkdir -p "$work/run" "$work/logs" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

xvfb_pid=""; wm_pid=""; player_pid=""
cleanup() {
  for pid in $player_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  for log in "$work"/logs/*; do echo "--- $log"; tail -n 20 "$log"; done
  exit 1
}

cat >"$work/quiz.toml" <<EOF
kind = "text"
title = "$title"
codes = ["A", "AB", "ABC"]

[[question]]
prompt = "Capitale de la France ?"
answer = "Paris"

[[question]]
prompt = "Ville des Lumières ?"
answer = "Lyon"

[[question]]
prompt = "Cité phocéenne ?"
answer = "Marseille"
EOF
"$packer" build "$work/quiz.toml" -o "$work/run/villes" --player "$player" >"$work/logs/pack.log" 2>&1 ||
  fail "the quiz could not be built"

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/logs/xvfb.log" &
xvfb_pid=$!
i=0
while [ ! -s "$work/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
[ -s "$work/display" ] || fail "Xvfb did not start"
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY

openbox --sm-disable >"$work/logs/openbox.log" 2>&1 &
wm_pid=$!
i=0
until wmctrl -m >/dev/null 2>&1 || [ $i -ge 100 ]; do sleep 0.1; i=$((i + 1)); done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

# Starts the quiz in its folder (where the progress file lives) and makes the
# window wide enough to show the verdict labels at client x 790.
start_player() {  # log name
  (cd "$work/run" && exec ./villes) >"$work/logs/$1.log" 2>&1 &
  player_pid=$!
  wid=$(timeout 20 xdotool search --sync --onlyvisible --name "$title" | head -n 1)
  [ -n "$wid" ] || fail "the quiz window did not appear"
  xdotool windowsize --sync "$wid" 1000 500 2>/dev/null || xdotool windowsize "$wid" 1000 500
  xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid"
  sleep 0.5
}

close_player() {
  wmctrl -c "$title"
  i=0
  while kill -0 "$player_pid" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
  kill -0 "$player_pid" 2>/dev/null && fail "the quiz did not close"
  wait "$player_pid" || fail "the quiz ended with code $?"
  player_pid=""
}

# The client area's origin on the screen: the pointer put at the window's 0, 0
# (the window manager's frame lies around it).
client_origin() {
  xdotool mousemove --sync --window "$wid" 0 0
  eval "$(xdotool getmouselocation --shell)"
  origin_x=$X
  origin_y=$Y
}

# The question panel stands at client 5, 50 with a one-pixel border; the
# verdict label of row n at content 790, 5 + 25 (n - 1), 100 x 20 pixels.
# A pixel near its left end lies beside the centred text.
status=0
check_verdicts() {  # screenshot
  n=1
  for expected in "srgb(0,255,0)" "srgb(255,203,38)" "srgb(255,0,0)"; do
    x=$((origin_x + 5 + 1 + 790 + 6))
    y=$((origin_y + 50 + 1 + 5 + 25 * (n - 1) + 10))
    got=$(convert "$1" -format "%[pixel:p{$x,$y}]" info:)
    if [ "$got" != "$expected" ]; then
      echo "FAIL: $(basename "$1"): verdict label $n at ($x, $y) is $got, expected $expected"
      status=1
    fi
    n=$((n + 1))
  done
}

start_player first
client_origin
# The first answer field, at content 610, 5.
xdotool mousemove --window "$wid" $((5 + 1 + 610 + 80)) $((50 + 1 + 5 + 10)) click 1
sleep 0.2
xdotool type --delay 60 "Paris"
xdotool key --delay 60 Return Tab
xdotool type --delay 60 "Lyonn"
xdotool key --delay 60 Return Tab
# Left with Tab alone: losing the focus judges it.
xdotool type --delay 60 "Bordeaux"
xdotool key --delay 60 Tab
xdotool mousemove --window "$wid" 300 480
sleep 0.5
first="$work/first.png"
import -window root "$first"
check_verdicts "$first"
close_player

expected_bytes="$work/expected.txt"
printf 'Paris\r\nLyonn\r\nBordeaux\r\n' >"$expected_bytes"
if ! cmp -s "$expected_bytes" "$work/run/villes.txt"; then
  echo "FAIL: the progress file holds:"
  od -c "$work/run/villes.txt" 2>&1
  status=1
fi
echo "Progress file after the first run ($work/run/villes.txt):"
od -c "$work/run/villes.txt"

start_player second
client_origin
xdotool mousemove --window "$wid" 300 480
sleep 0.5
second="$work/second.png"
import -window root "$second"
check_verdicts "$second"
close_player
cmp -s "$expected_bytes" "$work/run/villes.txt" || { echo "FAIL: the second run changed the progress file"; status=1; }

echo "Screenshots: $first $second"
exit $status
