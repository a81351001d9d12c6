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

make() {  # $1 file, $2 base freq, $3 seconds, $4 artist, $5 title, rest = encoder options
  local file=$1 f=$2 d=$3 artist=$4 title=$5
  shift 5
  ffmpeg -loglevel error -y -f lavfi -i "aevalsrc=$(phrase "$f" "$d"):s=44100:d=$d" \
    -ac 2 "$@" -metadata artist="$artist" -metadata title="$title" "$out/$file"
}

make "01 Morning Arpeggio.mp3" 261.63 6 "Orvelin Ensemble" "Morning Arpeggio" -c:a libmp3lame -b:a 96k
make "02 Glass Steps.flac"     293.66 5 "Orvelin Ensemble" "Glass Steps" -c:a flac -ar 22050 -ac 1 -sample_fmt s16
make "03 Slow River.ogg"       220.00 6 "Nordlys Trio" "Slow River" -c:a libvorbis -q:a 2
make "04 Small Hours.opus"     329.63 6 "Nordlys Trio" "Small Hours" -c:a libopus -b:a 48k
make "05 Paper Boats.m4a"      246.94 6 "Тихий Берег" "Бумажные кораблики" -c:a aac -b:a 64k
make "06 Last Light.wav"       196.00 3 "Тихий Берег" "Last Light" -c:a pcm_s16le -ar 22050 -ac 1
ls -l "$out"
