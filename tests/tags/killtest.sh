#!/usr/bin/env bash
# Kills orvelin-tags set with SIGKILL in the middle of saves of a 3 MB MP3,
# a FLAC, an M4A, an Opus, a WAV (INFO list), an AIFF (ID3v2 chunk) and a
# WMA file, then checks that the song is byte for byte either the old
# or the new file and that nothing else is left in its folder.
#
# Kill points are not moments in time but system calls: a run is traced
# once, and each trial picks (from a seeded RNG) one system call of that run
# after the song is first opened; strace delivers SIGKILL on entry to it.
# So every phase of a save is hit, the same way on any machine.
#
#   killtest.sh ORVELIN_TAGS [TRIALS_PER_FORMAT] [SEED]
set -euo pipefail
tool=$1
# In the sanitizer build: the leak checker cannot run under a tracer.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
trials=${2:-200}
RANDOM=${3:-15}

# In memory where there is a tmpfs: every save flushes 3 MB to disk.
shm=/dev/shm
[ -d "$shm" ] && [ -w "$shm" ] || shm=${TMPDIR:-/tmp}
work=$(mktemp -d -p "$shm")
trap 'rm -rf "$work"' EXIT
ff() { ffmpeg -nostdin -v error -y "$@"; }
ff -f lavfi -i "sine=frequency=440:duration=180" -c:a libmp3lame -b:a 128k -metadata title=Old "$work/song.mp3"
ff -f lavfi -i "anoisesrc=d=20:c=pink:a=0.3" -ac 2 -c:a flac -metadata title=Old "$work/song.flac"
ff -f lavfi -i "sine=frequency=440:duration=120" -c:a aac -metadata title=Old "$work/song.m4a"
ff -f lavfi -i "sine=frequency=440:duration=120" -c:a libopus -metadata title=Old "$work/song.opus"
ff -f lavfi -i "sine=frequency=440:duration=30" -c:a pcm_s16le -metadata title=Old "$work/song.wav"
ff -f lavfi -i "sine=frequency=440:duration=30" -c:a pcm_s16be -write_id3v2 1 -metadata title=Old "$work/song.aiff"
ff -f lavfi -i "sine=frequency=440:duration=120" -c:a wmav2 -metadata title=Old "$work/song.wma"

# A comment too large for any padding makes a save rewrite the file; a new
# title fits and is written in place (MP3, FLAC) or rewrites too (moov at
# the end of an M4A has no room, an Opus comment that changes size).
comment="COMMENT=$(printf 'c%.0s' $(seq 20000))"
commands=("$comment" "TITLE=New")

failed=0
for format in mp3 flac m4a opus wav aiff wma; do
  old="$work/song.$format"
  dir="$work/trial"
  song="$dir/song.$format"
  for c in 0 1; do
    # The new file, and the system calls of a save that runs to its end.
    rm -rf "$dir" && mkdir "$dir" && cp "$old" "$song"
    strace -f -qq -o "$work/trace" "$tool" set "$song" "${commands[$c]}" >/dev/null
    cp "$song" "$work/new.$format.$c"
    # mutagen reads no INFO lists: a WAV only has to be taken.
    /usr/bin/python3 -c 'import sys, mutagen; f = mutagen.File(sys.argv[1]); assert f.tags or sys.argv[2] == "wav"' \
      "$song" "$format"
    if [ "$format" = flac ]; then flac -s -t "$song"; else [ -z "$(ffprobe -v error "$song" 2>&1)" ]; fi
    mapfile -t calls < <(awk '{ sub(/^[0-9]+ +/, ""); n = index($0, "("); if (n > 1) print substr($0, 1, n - 1) }' \
      "$work/trace")
    first=$(awk -v f="$song" '{ sub(/^[0-9]+ +/, "") } index($0, "(") > 1 { i++ } index($0, f) { print i - 1; exit }' \
      "$work/trace")
    kinds[$c]="${#calls[@]} ${first}"
    names[$c]=$(printf '%s\n' "${calls[@]}")
  done

  damaged=0 strays=0 left=0 runs=0
  for ((t = 0; t < trials; t++)); do
    c=$((RANDOM % 2))
    read -r count first <<<"${kinds[$c]}"
    mapfile -t calls <<<"${names[$c]}"
    k=$((first + (RANDOM * 32768 + RANDOM) % (count - first)))
    name=${calls[$k]}
    occurrence=0
    for ((i = 0; i <= k; i++)); do [ "${calls[$i]}" = "$name" ] && occurrence=$((occurrence + 1)); done

    rm -rf "$dir" && mkdir "$dir" && cp "$old" "$song"
    # In a subshell, whose report of the killed run goes nowhere.
    (strace -f -qq -o /dev/null -e trace="$name" -e inject="$name:signal=KILL:when=$occurrence" \
      "$tool" set "$song" "${commands[$c]}" >/dev/null 2>&1 || true) 2>/dev/null
    runs=$((runs + 1))
    if ! cmp -s "$song" "$old" && ! cmp -s "$song" "$work/new.$format.$c"; then
      damaged=$((damaged + 1))
      echo "killtest: $format: killed at $name #$occurrence the song is neither the old nor the new file" >&2
    fi
    stray=0
    for f in "$dir"/* "$dir"/.[!.]*; do
      [ -e "$f" ] && [ "$f" != "$song" ] || continue
      stray=1 strays=$((strays + 1))
      # Killed between link and rename: a whole new file under our name.
      if [[ $(basename "$f") != .orvelin-song.$format.*.tmp ]] || ! cmp -s "$f" "$work/new.$format.$c"; then
        echo "killtest: $format: killed at $name #$occurrence left $(basename "$f")" >&2
        failed=1
      fi
    done
    # The next save of the song, in place or not, clears what a killed one left.
    [ "$stray" -eq 1 ] || continue
    "$tool" set "$song" TITLE=After >/dev/null
    for f in "$dir"/* "$dir"/.[!.]*; do [ -e "$f" ] && [ "$f" != "$song" ] && left=$((left + 1)); done
  done
  echo "killtest: $format: $runs trials, $damaged damaged, $strays left a whole new file under our name," \
    "$left left after the next save"
  [ "$damaged" -eq 0 ] && [ "$left" -eq 0 ] || failed=1
done
exit $failed
