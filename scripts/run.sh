#!/usr/bin/env bash
# Installs what is missing, builds the player and starts it. On the very first
# run (no settings yet) it opens the bundled sample folder, so there is
# something to see and hear at once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bash scripts/bootstrap.sh
cmake --preset dev >/dev/null
cmake --build build/dev --target orvelin

player=build/dev/bin/orvelin
if [ $# -eq 0 ] && [ ! -f "$("$player" --settings-path)" ]; then
  exec "$player" "$root/resources/samples" /Open
fi
exec "$player" "$@"
