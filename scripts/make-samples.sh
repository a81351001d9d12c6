#!/usr/bin/env bash
# Makes the bundled sample tracks from synthesized tones with Debian's
# encoders. The results are committed; run this again only to change them.
set -euo pipefail
out=${1:-$(cd "$(dirname "$0")/.." && pwd)/resources/samples}
mkdir -p "$out"

# A short phrase: notes of a chord played one after another, with a soft
# attack and decay, so the samples sound like music rather than a test tone.
phrase() {  # $1 = base frequency in Hz, $2 = seconds
  local f=$1 d=$2
  # Commas inside a filter argument are escaped for the filter graph.
  echo "0.25*sin(2*PI*t*$f*pow(2,floor(mod(t*4,4))*4/12))*exp(-3*mod(t,0.25))*min(1,t*20)*min(1,($d-t)*4)+0.08*sin(2*PI*t*$f/2)" | sed 's/,/\\,/g'
}

# Front covers drawn from test patterns: a JPEG and a palette PNG, small.
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
ffmpeg -loglevel error -y -f lavfi -i "testsrc2=s=300x300" -frames:v 1 -q:v 5 "$pictures/front.jpg"
ffmpeg -loglevel error -y -f lavfi -i "mandelbrot=s=200x200" -frames:v 1 -pix_fmt pal8 "$pictures/front.png"

make() {  # $1 file, $2 base freq, $3 seconds, $4 artist, $5 title, rest = encoder options;
          # $cover, when set, is a picture to embed as the front cover
  local file=$1 f=$2 d=$3 artist=$4 title=$5 input=() output=()
  shift 5
  if [ -n "${cover:-}" ]; then
    input=(-i "$cover")
    output=(-map 0:a -map 1:v -c:v copy -disposition:v attached_pic -metadata:s:v comment="Cover (front)")
  fi
  ffmpeg -loglevel error -y -f lavfi -i "aevalsrc=$(phrase "$f" "$d"):s=44100:d=$d" "${input[@]}" \
    -ac 2 "$@" "${output[@]}" -metadata artist="$artist" -metadata title="$title" "$out/$file"
}

cover=$pictures/front.jpg make "01 Morning Arpeggio.mp3" 261.63 6 "Orvelin Ensemble" "Morning Arpeggio" \
  -c:a libmp3lame -b:a 96k
cover=$pictures/front.png make "02 Glass Steps.flac" 293.66 5 "Orvelin Ensemble" "Glass Steps" \
  -c:a flac -ar 22050 -ac 1 -sample_fmt s16
make "03 Slow River.ogg"       220.00 6 "Nordlys Trio" "Slow River" -c:a libvorbis -q:a 2
make "04 Small Hours.opus"     329.63 6 "Nordlys Trio" "Small Hours" -c:a libopus -b:a 48k
make "05 Paper Boats.m4a"      246.94 6 "Тихий Берег" "Бумажные кораблики" -c:a aac -b:a 64k
make "06 Last Light.wav"       196.00 3 "Тихий Берег" "Last Light" -c:a pcm_s16le -ar 22050 -ac 1
ls -l "$out"
