#!/bin/sh
# End to end: a video quiz of two questions whose clips are plain colours, made
# here with ffmpeg. Clicking question 1's play button must write its clip file
# beside the program and show the clip's colour filling its media cell; playing
# question 2 must move the picture to its cell and leave the first cell as it
# was; its stop button must clear the cell and delete the clip file, and
# closing the player must leave no clip file behind.
# Usage: video_quiz.sh PACKER PLAYER WORK_FOLDER
# Exit code 77 (skipped) when the X server, xdotool, openbox or wmctrl is missing.
set -u
packer=$1
player=$2
work=$3
title="Films e2e"

. "$(dirname "$0")/xvfb_lib.sh"
require_tools
command -v ffmpeg >/dev/null 2>&1 || { echo "FAIL: ffmpeg is missing (package ffmpeg)"; exit 1; }
prepare_work

colour1=32,192,64
colour2=200,40,160
mkdir -p "$work/media"
clip() {  # file, R,G,B
  hex=$(echo "$2" | awk -F, '{ printf "0x%02X%02X%02X", $1, $2, $3 }')
  ffmpeg -loglevel error -y -f lavfi -i "color=c=$hex:size=160x120:rate=10" -t 30 \
    -c:v mpeg4 -q:v 2 -pix_fmt yuv420p "$work/media/$1" || fail "ffmpeg could not make $1"
}
clip q1.avi "$colour1"
clip q2.avi "$colour2"

cat >"$work/quiz.toml" <<EOF
kind = "video"
title = "$title"
codes = ["1", "2"]

[[question]]
answer = "Vert"
clip = "media/q1.avi"

[[question]]
answer = "Rose"
clip = "media/q2.avi"
EOF
"$packer" build "$work/quiz.toml" -o "$work/run/couleurs" --player "$player" >"$work/logs/pack.log" 2>&1 ||
  fail "the quiz could not be built"

screen_w=1280
screen_h=1024
start_x "${screen_w}x${screen_h}x24"
start_program couleurs player 1000 500
wmctrl -r "$title" -e 1,0,0,-1,-1
client_origin
# The question panel's content starts at client 6, 51 (inside its border). Cell
# n's client area is 258 x 198 at 47 + 290 (n - 1), 6; the 160 x 120 clip is
# fitted to 258 x 193 in it. The play and stop buttons lie under the cell's
# left corner, at 46, 215 and 46, 235.
base_x=$((origin_x + 6))
base_y=$((origin_y + 51))

shot=""
raw=""
screenshot() {  # name
  shot="$work/$1.png"
  raw="$work/$1.rgb"
  import -window root "$shot" || fail "import could not take $shot"
  convert "$shot" -depth 8 "rgb:$raw" || fail "convert could not read $shot"
}

# The colour at content x, y of the last screenshot.
pixel() {  # x, y
  od -An -tu1 -j $(((($2 + base_y) * screen_w + $1 + base_x) * 3)) -N3 "$raw" |
    awk '{ printf "%s,%s,%s", $1, $2, $3 }'
}

# True when R,G,B and R,G,B differ by 24 at most on each channel.
near() {  # colour, colour
  echo "$1 $2" | awk -F'[ ,]' '{ for (i = 1; i <= 3; i++) { d = $i - $(i + 3); if (d < -24 || d > 24) exit 1 } }'
}

# Takes screenshots for up to 20 seconds until cell n's centre and two points
# near its corners show the colour: the clip is starting while we look (a
# sanitized player on a busy machine takes a few seconds).
wait_for_cell() {  # name, n, colour
  x=$((47 + 290 * ($2 - 1)))
  deadline=$(($(date +%s) + 20))
  while :; do
    screenshot "$1"
    if near "$(pixel $((x + 129)) 105)" "$3" && near "$(pixel $((x + 6)) 12)" "$3" &&
      near "$(pixel $((x + 251)) 196)" "$3"; then
      return 0
    fi
    [ "$(date +%s)" -ge "$deadline" ] && return 1
    sleep 0.5
  done
}

# Clicks, then takes the pointer off the window so that it hides nothing. (A
# move with --sync to where the pointer already is would wait for ever.)
click() {  # x, y in the question panel's content
  xdotool mousemove --sync --window "$wid" $((6 + $1)) $((51 + $2)) click 1
  xdotool mousemove --sync $((screen_w - 50)) $((screen_h - 50))
}

screenshot before
background=$(pixel 176 105)
near "$background" "$colour1" && fail "the cell shows the clip's colour before any play"
near "$background" "$colour2" && fail "the cell shows the clip's colour before any play"
# Its neighbour inside the frame, where nothing ever plays.
panel=$(pixel 20 105)

sleep 1
click 56 225
wait_for_cell playing1 1 "$colour1" || fail "question 1's cell shows rgb($(pixel 176 105)), not its clip rgb($colour1) ($shot)"
[ -f "$work/run/ploxa401.AVI" ] || fail "no clip file ploxa401.AVI beside the program"
near "$(pixel 466 105)" "$background" || fail "question 2's cell changed while question 1 plays"

click 346 225
wait_for_cell playing2 2 "$colour2" || fail "question 2's cell shows rgb($(pixel 466 105)), not its clip rgb($colour2) ($shot)"
near "$(pixel 176 105)" "$background" || fail "question 1's cell still shows rgb($(pixel 176 105)) after question 2 started"
[ -f "$work/run/ploxa401.AVI" ] && fail "question 1's clip file is still there"
[ -f "$work/run/ploxa402.AVI" ] || fail "no clip file ploxa402.AVI beside the program"
playing=$shot

click 346 244
sleep 1
screenshot stopped
near "$(pixel 466 105)" "$background" || fail "question 2's cell still shows rgb($(pixel 466 105)) after its stop"
near "$(pixel 20 105)" "$panel" || fail "the panel around the cells changed"
[ -f "$work/run/ploxa402.AVI" ] && fail "the clip file is still there after the stop"

# Play again and close while it plays: the clip file goes with the player.
click 56 225
wait_for_cell playing3 1 "$colour1" || fail "question 1's clip did not play again"
close_player
leftover=$(ls "$work/run" | grep '^ploxa' || true)
[ -z "$leftover" ] || fail "clip files left after closing: $leftover"

rm -f "$work"/*.rgb
echo "PASS: screenshots $work/before.png $playing $work/stopped.png"
exit 0
