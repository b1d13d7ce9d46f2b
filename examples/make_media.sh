#!/bin/sh
# Makes the pictures and clips of the sample quizzes from Debian tools:
# ImageMagick drawings, espeak-ng speech, sox tones, ffmpeg test patterns.
# The results are committed; run this again only to change them.
#   examples/make_media.sh
set -eu
cd "$(dirname "$0")"

need() {
  missing=""
  for pair in "$@"; do
    command -v "${pair%%:*}" >/dev/null 2>&1 || missing="$missing ${pair#*:}"
  done
  if [ -n "$missing" ]; then
    echo "Installing$missing"
    sudo_cmd=""
    [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
    $sudo_cmd apt-get install -y -qq $missing >/dev/null
  fi
}
need convert:imagemagick espeak-ng:espeak-ng sox:sox ffmpeg:ffmpeg

FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
[ -f "$FONT" ] || need fc-list:fonts-dejavu-core
# No dates or times in the files, so the same drawing gives the same bytes.
PNG_OPTS="-strip -define png:exclude-chunks=date,time"

# --- drapeaux: flags of 12 countries, each with a reveal card ------------------
mkdir -p drapeaux/media
flag() {  # name direction colour1 colour2 colour3 format
  name=$1 dir=$2 c1=$3 c2=$4 c3=$5 fmt=$6
  if [ "$dir" = v ]; then
    convert -size 40x80 "xc:$c1" "xc:$c2" "xc:$c3" +append -resize 120x80\! $PNG_OPTS "drapeaux/media/$name.$fmt"
  else
    convert -size 120x27 "xc:$c1" "xc:$c2" "xc:$c3" -append -resize 120x80\! $PNG_OPTS "drapeaux/media/$name.$fmt"
  fi
}
card() {  # name country capital
  convert -size 160x100 xc:'#FFF8E7' -font "$FONT" -fill '#2B3A67' -gravity center \
    -pointsize 15 -annotate +0-18 "$2" -pointsize 12 -fill '#A0522D' -annotate +0+16 "$3" \
    -bordercolor '#2B3A67' -border 3 $PNG_OPTS -quality 80 "drapeaux/media/$1"
}
flag france v '#0055A4' white '#EF4135' png
flag italie v '#009246' white '#CE2B37' png
flag belgique v black '#FDDA24' '#EF3340' png
flag irlande v '#169B62' white '#FF883E' png
flag roumanie v '#002B7F' '#FCD116' '#CE1126' jpg
flag mali v '#14B53A' '#FCD116' '#CE1126' jpg
flag allemagne h black '#DD0000' '#FFCE00' png
flag pays-bas h '#AE1C28' white '#21468B' png
flag autriche h '#ED2939' white '#ED2939' jpg
flag hongrie h '#CD2A3E' white '#436F4D' jpg
flag bulgarie h white '#00966E' '#D62612' png
flag estonie h '#0072CE' black white png
card france-carte.png "France" "Paris"
card italie-carte.jpg "Italie" "Rome"
card belgique-carte.png "Belgique" "Bruxelles"
card irlande-carte.jpg "Irlande" "Dublin"
card roumanie-carte.png "Roumanie" "Bucarest"
card mali-carte.jpg "Mali" "Bamako"
card allemagne-carte.png "Allemagne" "Berlin"
card pays-bas-carte.jpg "Pays-Bas" "Amsterdam"
card autriche-carte.png "Autriche" "Vienne"
card hongrie-carte.jpg "Hongrie" "Budapest"
card bulgarie-carte.png "Bulgarie" "Sofia"
card estonie-carte.jpg "Estonie" "Tallinn"

# --- ecoute: spelt words (speech) and notes (tones) ------------------------------
mkdir -p ecoute/media
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
speak() {  # name format text
  espeak-ng -v fr -s 120 -w "$tmp/$1.wav" "$3"
  if [ "$2" = mp3 ]; then
    # An ID3 tag in front, which is how the player recognises an MP3.
    ffmpeg -loglevel error -y -i "$tmp/$1.wav" -ac 1 -ar 16000 -b:a 24k -id3v2_version 3 \
      -metadata title="$1" -fflags +bitexact "ecoute/media/$1.mp3"
  else
    sox "$tmp/$1.wav" -r 8000 -c 1 -b 8 "ecoute/media/$1.wav"
  fi
}
note() {  # name frequency
  sox -n -r 8000 -c 1 -b 8 "ecoute/media/$1.wav" synth 1.2 sine "$2" fade 0.05 1.2 0.2 vol 0.6
}
speak mot-paris wav "P. A. R. I. S."
speak mot-soleil mp3 "S. O. L. E. I. L."
speak mot-fromage wav "F. R. O. M. A. G. E."
note note-la 440
note note-do 261.63
note note-mi 329.63

# --- images: three test patterns with text ----------------------------------------
mkdir -p images/media
video() {  # name source drawtext
  ffmpeg -loglevel error -y -f lavfi -i "$2" -t 3 -r 10 \
    -vf "drawtext=fontfile=$FONT:text='$3':fontcolor=white:fontsize=14:box=1:boxcolor=black@0.6:x=(w-tw)/2:y=h-24" \
    -c:v mpeg4 -q:v 8 -pix_fmt yuv420p -fflags +bitexact -flags +bitexact "images/media/$1.avi"
}
video mire "smptebars=size=160x120:rate=10" "Qu\\'est-ce ?"
video compte "testsrc=size=160x120:rate=10" "3 2 1..."
video fractale "mandelbrot=size=160x120:rate=10" "Quel ensemble ?"

ls -l drapeaux/media ecoute/media images/media | awk '{s+=$5} END {print s " bytes of media"}'
