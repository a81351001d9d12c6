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
