#!/usr/bin/env bash
# `orvelin --grab FILE --window NAME` saves a picture of a window opened over
# the started player and quits; an unknown name fails and lists the windows.
set -u
exe=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
fail() { echo "$*"; exit 1; }

# Each start on a machine of its own: nothing one run saves reaches the next.
run() {
  local machine
  machine=$(mktemp -d -p "$home")
  HOME="$machine" XDG_CONFIG_HOME="$machine/config" XDG_RUNTIME_DIR="$machine" "$exe" "$@"
}

# Width and height from a PNG's header, or nothing when it is not a PNG.
png_size() {
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || return 1
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }'
}

run --grab "$home/main.png" --window TForm1 2>"$home/err" || fail "main window: exit status $? ($(cat "$home/err"))"
size=$(png_size "$home/main.png") || fail "main window: no PNG written"
read -r width height <<<"$size"
# The main window is never lower than its minimum of 600 pixels.
[ "$width" -ge 240 ] && [ "$height" -ge 600 ] || fail "main window: implausible picture ${width}x${height}"

run --grab "$home/settings.png" --window TForm2 2>"$home/err" || fail "settings window: exit status $? ($(cat "$home/err"))"
png_size "$home/settings.png" >/dev/null || fail "settings window: no PNG written"
cmp -s "$home/main.png" "$home/settings.png" && fail "the settings picture is the main window's"

run --grab "$home/cover.png" --window TForm4 2>"$home/err" || fail "cover window: exit status $? ($(cat "$home/err"))"
png_size "$home/cover.png" >/dev/null || fail "cover window: no PNG written"

run --grab "$home/none.png" --window TFormNone 2>"$home/err"
status=$?
[ "$status" -ne 0 ] || fail "an unknown window ended with status 0"
grep -q 'no window "TFormNone"' "$home/err" || fail "no clear message: $(cat "$home/err")"
grep -q 'TForm1, TForm2, TForm4' "$home/err" || fail "the known windows are not listed: $(cat "$home/err")"
[ ! -e "$home/none.png" ] || fail "a picture was written for an unknown window"
exit 0
