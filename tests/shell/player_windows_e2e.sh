#!/usr/bin/env bash
# The player in a real window under Xvfb: without a quiz, the real message box
# comes first and is dismissed with a key, then the fallback quiz's window opens;
# a text quiz and a two-answer picture quiz open their windows too.
# Usage: player_windows_e2e.sh PLOXA PLOXA-PACK SCREENSHOT-FOLDER
set -euo pipefail
player=$1 packer=$2 shots=$3
source "$(dirname "$0")/xvfb_session.sh"
mkdir -p "$shots"

cd "$work"
cp "$player" "$work/ploxa"
"$work/ploxa" >>"$work/program.log" 2>&1 &
pid=$!
box=$(wait_window '^Ploxa$') || fail "no message box"
shot "$shots/missing-quiz-box.png"
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Return
main=$(wait_window '^Nom du ploxa$') || fail "no fallback window after the box"
sleep 1
shot "$shots/fallback-quiz.png"
expect_colour "$shots/fallback-quiz.png" 51 102 255 20000 "fallback quiz on its theme colour"
expect_colour "$shots/fallback-quiz.png" 128 128 255 5000 "header panel"
expect_colour "$shots/fallback-quiz.png" 212 208 200 1000 "footer and verdict labels in system colours"
wmctrl -c 'Nom du ploxa'
wait "$pid" || fail "the player ended with code $?"
[ ! -e "$work/ploxa.txt" ] || fail "the fallback quiz saved a progress file"

# A 30-question text quiz.
{
  printf 'kind = "text"\ntitle = "Trente questions"\nauthor = "Essai"\nexplanation = "Une question par ligne"\n'
  printf 'theme = "#5A5F96"\nlink = "https://example.org"\nfooter = "Essai"\ncodes = ['
  for i in $(seq 30); do printf '"code %d",' "$i"; done
  printf ']\n'
  for i in $(seq 30); do printf '[[question]]\nprompt = "Question %d ?"\nanswer = "r%d"\n' "$i" "$i"; done
} >"$work/texte.toml"
"$packer" build "$work/texte.toml" -o "$work/texte" --player "$player" >/dev/null
"$work/texte" >>"$work/program.log" 2>&1 &
pid=$!
wait_window '^Trente questions$' >/dev/null || fail "no window for the text quiz"
sleep 1
shot "$shots/text-quiz.png"
expect_colour "$shots/text-quiz.png" 255 255 192 20000 "question labels"
expect_colour "$shots/text-quiz.png" 90 95 150 5000 "theme colour"
wmctrl -c 'Trente questions'
wait "$pid" || fail "the text quiz ended with code $?"

# A 9-question picture quiz with two answers per question.
{
  printf 'kind = "pictures"\ntitle = "Neuf images"\nauthor = "Essai"\nexplanation = "Deux r\xc3\xa9ponses"\n'
  printf 'answers_per_question = 2\nanswer_labels = ["Pays", "Capitale"]\n'
  printf 'theme = "#336699"\nlink = "https://example.org"\nfooter = "Essai"\ncodes = ['
  for i in $(seq 9); do printf '"code %d",' "$i"; done
  printf ']\n'
  for i in $(seq 9); do
    convert -size "$((100 + 15 * i))x$((60 + 10 * i))" "xc:rgb($((20 * i)),120,60)" "$work/p$i.png"
    printf '[[question]]\npicture = "p%d.png"\nanswer = "pays %d"\nanswer2 = "ville %d"\n' "$i" "$i" "$i"
  done
} >"$work/images.toml"
"$packer" build "$work/images.toml" -o "$work/images" --player "$player" >/dev/null
"$work/images" >>"$work/program.log" 2>&1 &
pid=$!
wait_window '^Neuf images$' >/dev/null || fail "no window for the picture quiz"
sleep 1
shot "$shots/picture-quiz.png"
expect_colour "$shots/picture-quiz.png" 51 102 153 20000 "theme colour"
wmctrl -c 'Neuf images'
wait "$pid" || fail "the picture quiz ended with code $?"
echo "screenshots: $shots/missing-quiz-box.png $shots/fallback-quiz.png $shots/text-quiz.png $shots/picture-quiz.png"
