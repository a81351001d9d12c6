#!/usr/bin/env bash
# The player starts offscreen, shows its window, and a SIGTERM closes it the
# way the user would: exit status 0.
set -u
exe=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

"$exe" &
pid=$!
sleep 2
if ! kill -0 "$pid" 2>/dev/null; then
  wait "$pid"
  echo "the player ended by itself (status $?)"
  exit 1
fi
kill -TERM "$pid"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the player did not end within 10 s of SIGTERM"
  kill -KILL "$pid"
  exit 1
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "exit status $status"; exit 1; }

# The first start wrote the settings (UTF-16LE with its mark) and made the
# default playlist; the close saved them.
data="$home/config/Orvelin Project/Orvelin"
[ "$(head -c 2 "$data/Config/Option.ini" | od -An -tx1 | tr -d ' ')" = "fffe" ] || { echo "no settings file"; exit 1; }
[ -f "$data/Playlist/default.m3u" ] || { echo "no default playlist"; exit 1; }
[ -f "$data/Config/song.ini" ] || { echo "no history file"; exit 1; }
# Nothing went wrong, so nothing was logged: the log is for failures.
if [ -e "$data/Config/orvelin.log" ]; then echo "a clean run logged:"; cat "$data/Config/orvelin.log"; exit 1; fi
