#!/bin/sh
# End to end: a 9-question picture quiz, as a player sees it in a real X server.
# JPEG, PNG, GIF and BMP pictures of several shapes (wide, tall, square, small
# ones that get enlarged, a large JPEG) are made here in plain colours, some in
# two halves so that a mirrored or upside-down picture shows. With the window
# tall enough for all three rows, the first screenshot must show every picture
# fitted to its 260-pixel box, centred in its cell; then the answer of the
# question that has a reveal picture is typed, and the second screenshot must
# show the reveal picture in that cell and the others unchanged.
# Usage: picture_quiz.sh PACKER PLAYER WORK_FOLDER
# Exit code 77 (skipped) when the X server, xdotool, openbox or wmctrl is missing.
set -u
packer=$1
player=$2
work=$3
title="Couleurs e2e"

. "$(dirname "$0")/xvfb_lib.sh"
require_tools
prepare_work

# Question n, its picture, the picture's size, the size it must take fitted in
# the 260-pixel box (its longer side reaches the box, the other truncated), and
# its colours: one (solid), or two halves side by side (lr) or stacked (tb).
cat >"$work/pictures" <<EOF
1 q1.jpg 520x260 260x130 lr 255,0,0 0,0,255
2 q2.png 400x100 260x65 solid 255,255,0 -
3 q3.gif 100x50 260x130 solid 0,200,0 -
4 q4.bmp 100x300 86x260 tb 255,0,255 0,255,255
5 q5.jpg 1600x1200 260x195 solid 255,128,0 -
6 q6.png 200x200 260x260 lr 128,0,128 128,64,0
7 q7.png 300x150 260x130 solid 255,160,200 -
8 q8.jpg 240x320 195x260 solid 0,0,128 -
9 q9.gif 260x260 260x260 lr 200,200,255 128,128,0
EOF
reveal_question=7
reveal_colour=0,128,128
theme_colour=90,95,150

mkdir -p "$work/media"
while read -r n file size _ split a b; do
  w=${size%x*}
  h=${size#*x}
  case $split in
    solid) convert -size "$size" "xc:rgb($a)" "$work/media/$file" ;;
    lr) convert -size "$((w / 2))x$h" "xc:rgb($a)" "xc:rgb($b)" +append "$work/media/$file" ;;
    tb) convert -size "${w}x$((h / 2))" "xc:rgb($a)" "xc:rgb($b)" -append "$work/media/$file" ;;
  esac || fail "convert could not make $file"
done <"$work/pictures"
# A square reveal picture for a wide cell: centred and clipped in it.
convert -size 300x300 "xc:rgb($reveal_colour)" "$work/media/r7.jpg" || fail "convert could not make r7.jpg"

{
  cat <<EOF
kind = "pictures"
title = "$title"
reveal = "picture"
theme = "#5A5F96"
codes = ["1", "2", "3", "4", "5", "6", "7", "8", "9"]
EOF
  while read -r n file size _ split a b; do
    printf '\n[[question]]\nanswer = "Couleur %s"\npicture = "media/%s"\n' "$n" "$file"
    [ "$n" = "$reveal_question" ] && printf 'reveal_picture = "media/r7.jpg"\n'
  done <"$work/pictures"
} >"$work/quiz.toml"
"$packer" build "$work/quiz.toml" -o "$work/run/couleurs" --player "$player" >"$work/logs/pack.log" 2>&1 ||
  fail "the quiz could not be built"

# Where each cell stands in the question panel's content. The cells of a row
# are 290 pixels apart from x 46, each picture centred in its 260-pixel column
# and in the row's height (that of its tallest picture). The answer field lies
# 10 pixels under the row, its verdict label 19 below it, and the next row
# starts 60 pixels under the answer field.
awk '
  { n[NR] = $1; split($4, f, "x"); w[NR] = f[1]; h[NR] = f[2]; rest[NR] = $5 " " $6 " " $7 }
  END {
    top = 5
    for (first = 1; first <= NR; first += 3) {
      row = 0
      for (i = first; i < first + 3 && i <= NR; i++) if (h[i] > row) row = h[i]
      for (i = first; i < first + 3 && i <= NR; i++) {
        c = (i - 1) % 3
        x = 46 + 290 * c
        print n[i], x + int((260 - w[i]) / 2), top + int((row - h[i]) / 2), w[i], h[i], rest[i], x, top + row + 10
      }
      top += row + 10 + 60
    }
  }' "$work/pictures" >"$work/cells"

# A screen tall enough for a window that shows the three rows at once.
screen_w=1600
screen_h=1200
start_x "${screen_w}x${screen_h}x24"
start_program couleurs player 1000 1000
# Its frame at the screen's top left corner, all of it in sight.
wmctrl -r "$title" -e 1,0,0,-1,-1
client_origin
# The question panel stands at client 5, 50 with a one-pixel border; its
# content is not scrolled (it fits).
base_x=$((origin_x + 6))
base_y=$((origin_y + 51))
if [ $((origin_x + 1000)) -gt "$screen_w" ] || [ $((origin_y + 1000)) -gt "$screen_h" ]; then
  fail "the window's client area at $origin_x, $origin_y does not fit on the screen"
fi

status=0
shot=""
raw=""
screenshot() {  # name
  xdotool mousemove --sync $((screen_w - 100)) $((screen_h - 50))
  sleep 0.5
  shot="$work/$1.png"
  raw="$work/$1.rgb"
  import -window root "$shot" || fail "import could not take $shot"
  convert "$shot" -depth 8 "rgb:$raw" || fail "convert could not read $shot"
}

# The pixel at content x, y must be within 24 of R,G,B on each channel.
expect_pixel() {  # what, x, y, R,G,B
  sx=$((base_x + $2))
  sy=$((base_y + $3))
  got=$(od -An -tu1 -j $(((sy * screen_w + sx) * 3)) -N3 "$raw" | awk '{ printf "%s,%s,%s", $1, $2, $3 }')
  if ! echo "$got $4" | awk -F'[ ,]' '{
        for (i = 1; i <= 3; i++) { d = $i - $(i + 3); if (d < -24 || d > 24) exit 1 }
      }'; then
    echo "FAIL: $(basename "$shot"): $1 at screen ($sx, $sy) is rgb($got), expected rgb($4)"
    status=1
  fi
}

# Each picture's centre, or the middle of each half; solid pictures also near
# two opposite corners, 4 pixels inside the cell.
check_cells() {  # question that shows its reveal picture, or 0
  while read -r n x y w h split a b field_x field_y; do
    if [ "$n" = "$1" ]; then split=solid; a=$reveal_colour; fi
    case $split in
      solid)
        expect_pixel "picture $n's centre" $((x + w / 2)) $((y + h / 2)) "$a"
        expect_pixel "picture $n's top left corner" $((x + 4)) $((y + 4)) "$a"
        expect_pixel "picture $n's bottom right corner" $((x + w - 5)) $((y + h - 5)) "$a"
        ;;
      lr)
        expect_pixel "picture $n's left half" $((x + w / 4)) $((y + h / 2)) "$a"
        expect_pixel "picture $n's right half" $((x + 3 * w / 4)) $((y + h / 2)) "$b"
        ;;
      tb)
        expect_pixel "picture $n's top half" $((x + w / 2)) $((y + h / 4)) "$a"
        expect_pixel "picture $n's bottom half" $((x + w / 2)) $((y + 3 * h / 4)) "$b"
        ;;
    esac
  done <"$work/cells"
}

screenshot before
check_cells 0
# The fitted sizes at the edges: the wide picture 2 (260 x 65, centred in a
# row 130 high) and the tall picture 4 (86 x 260) end where they should. From
# outside in: the panel's background, the cell's black one-pixel border over
# the picture's outer pixels, then the picture 2 pixels further in.
check_edge() {  # where, x, y just outside, dx, dy one pixel inwards, colour inside
  expect_pixel "the background $1" "$2" "$3" "$theme_colour"
  expect_pixel "the border $1" $(($2 + $4)) $(($3 + $5)) 0,0,0
  expect_pixel "the picture $1" $(($2 + 3 * $4)) $(($3 + 3 * $5)) "$6"
}
read -r n x y w h split a b field_x field_y <<EOF
$(sed -n 2p "$work/cells")
EOF
check_edge "above picture 2" $((x + w / 2)) $((y - 1)) 0 1 "$a"
check_edge "below picture 2" $((x + w / 2)) $((y + h)) 0 -1 "$a"
read -r n x y w h split a b field_x field_y <<EOF
$(sed -n 4p "$work/cells")
EOF
check_edge "left of picture 4" $((x - 1)) $((y + h / 4)) 1 0 "$a"
check_edge "right of picture 4" $((x + w)) $((y + 3 * h / 4)) -1 0 "$b"
before=$shot

read -r n x y w h split a b field_x field_y <<EOF
$(sed -n "${reveal_question}p" "$work/cells")
EOF
verdict_x=$((field_x + 6))
verdict_y=$((field_y + 19 + 10))
xdotool mousemove --window "$wid" $((6 + field_x + 130)) $((51 + field_y + 10)) click 1
sleep 0.2
xdotool type --delay 60 "Couleur $reveal_question"
xdotool key --delay 60 Return
screenshot after
# Its verdict label, beside the centred text, says the answer is right.
expect_pixel "question $reveal_question's verdict label" "$verdict_x" "$verdict_y" 0,255,0
check_cells "$reveal_question"
after=$shot
close_player

rm -f "$work/before.rgb" "$work/after.rgb"
echo "Screenshots: $before $after"
exit $status
