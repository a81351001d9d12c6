#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time over its seed
# corpus: scripts/fuzz.sh BUILD_DIR SECONDS_PER_TARGET
set -euo pipefail
build=${1:-build/fuzz}
seconds=${2:-15}
root=$(cd "$(dirname "$0")/.." && pwd)
list="$build/fuzzers.txt"
[ -f "$list" ] || { echo "fuzz: $list missing (configure with --preset fuzz)" >&2; exit 1; }

failed=0
while IFS='=' read -r target corpus; do
  [ -n "$target" ] || continue
  exe=$(find "$build" -type f -name "$target" -perm -u+x | head -n 1)
  [ -n "$exe" ] || { echo "fuzz: $target not built" >&2; failed=1; continue; }
  # Work on a copy so that new inputs do not land in the source tree.
  work=$(mktemp -d)
  if [ -n "$corpus" ] && [ -d "$root/$corpus" ]; then cp -r "$root/$corpus/." "$work/"; fi
  echo "fuzz: $target for ${seconds}s"
  # A fixed seed: a slower machine runs a prefix of the same inputs, so it
  # cannot find what a faster one did not.
  if ! "$exe" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$build/$target-" "$work" 2>"$build/$target.log"; then
    echo "fuzz: $target FAILED, see $build/$target.log" >&2
    tail -n 40 "$build/$target.log" >&2
    failed=1
  fi
  rm -rf "$work"
done < "$list"
exit $failed
