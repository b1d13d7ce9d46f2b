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

. "$(dirname "$0")/xvfb_lib.sh"
require_tools
prepare_work

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

start_x 1280x1024x24

# The window is made wide enough to show the verdict labels at client x 790.
start_player() {  # log name
  start_program villes "$1" 1000 500
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
