#!/usr/bin/env bash
# Writes a short file of every container Debian's encoders can make into the
# folder given, tagged where the encoder tags: the sample folder that
# orvelin-tags dump is tried on. Prints "file format-code" per file.
set -euo pipefail
dir=$1
tone=(-f lavfi -i "sine=frequency=440:duration=0.3")
meta=(-metadata "title=Sample Title" -metadata "artist=Sample Artist")
ff() { ffmpeg -nostdin -hide_banner -loglevel error -y "$@"; }
make() {
  local name=$1 code=$2
  shift 2
  ff "$@" "$dir/$name"
  echo "$name $code"
}
make sample.wav 9 "${tone[@]}" "${meta[@]}" -c:a pcm_s16le
make sample-rf64.wav 10 "${tone[@]}" -c:a pcm_s16le -rf64 always
make sample.flac 2 "${tone[@]}" "${meta[@]}" -c:a flac
make sample.oga 3 "${tone[@]}" "${meta[@]}" -c:a flac
make sample.ogg 7 "${tone[@]}" "${meta[@]}" -c:a libvorbis
make sample.opus 6 "${tone[@]}" "${meta[@]}" -c:a libopus
make sample.mp3 4 "${tone[@]}" "${meta[@]}" -c:a libmp3lame
make sample-no-id3.mp3 4 "${tone[@]}" -c:a libmp3lame -write_id3v2 0 -write_xing 0
make sample.m4a 5 "${tone[@]}" "${meta[@]}" -c:a aac
make sample.aiff 11 "${tone[@]}" "${meta[@]}" -c:a pcm_s16be
make sample.aifc 12 "${tone[@]}" -c:a pcm_f32be
make sample.wv 17 "${tone[@]}" "${meta[@]}" -c:a wavpack
make sample.ogv 8 -f lavfi -i "testsrc=duration=0.2:size=64x48:rate=10" -c:v libtheora
# No content rule names ASF: unknown to the classifier.
make sample.wma 0 "${tone[@]}" "${meta[@]}" -c:a wmav2
