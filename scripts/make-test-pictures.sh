#!/usr/bin/env bash
# Makes the tiny pictures the image tests decode and the image fuzzer starts
# from: one per format tags carry, in the pixel layouts that take different
# paths through the decoder. Drawn by ffmpeg from test patterns; the results
# are committed, run this again only to change them.
set -euo pipefail
out=${1:-$(cd "$(dirname "$0")/.." && pwd)/tests/image/pictures}
mkdir -p "$out"

picture() {  # $1 file, $2 source filter graph, rest = encoder options
  local file=$1 source=$2
  shift 2
  ffmpeg -loglevel error -y -f lavfi -i "$source" -frames:v 1 "$@" "$out/$file"
}

picture front.jpg   "testsrc2=s=48x32" -q:v 4                      # 24-bit
picture alpha.png   "testsrc2=s=24x16,format=rgba,geq=r='r(X,Y)':g='g(X,Y)':b='b(X,Y)':a='X*10'"  # alpha 0..230
picture gray16.png  "testsrc2=s=10x10,format=gray16be"            # 16 bits a pixel
picture palette.gif "testsrc2=s=20x20"                              # 8-bit palette
picture rgb.bmp     "testsrc=s=17x9" -pix_fmt bgr24                 # rows padded to 4 bytes
picture rgb.tif     "testsrc2=s=12x10" -pix_fmt rgb24
ls -l "$out"
