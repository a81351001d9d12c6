#!/usr/bin/env bash
# Fails when a tracked or new C++ file differs from .clang-format, and names it.
# Every file is checked: it takes about a second and needs no idea of a base.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <({ git ls-files '*.cpp' '*.h' '*.c'
                       git ls-files --others --exclude-standard '*.cpp' '*.h' '*.c'; } | sort -u)
existing=()
for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
# One run for all files; its diagnostics name the files that differ.
mapfile -t bad < <(clang-format --style=file --dry-run "${existing[@]}" 2>&1 |
                   sed -n 's/^\([^ :]*\):[0-9]*:[0-9]*: \(warning\|error\): .*/\1/p' | sort -u)
if [ ${#bad[@]} -gt 0 ]; then
  printf 'unformatted: %s\n' "${bad[@]}"
  echo "run: clang-format -i FILE..." >&2
  exit 1
fi
