#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds, and runs every
# test: the development build (warnings are errors), the sanitizer build of
# everything (the Qt front end's tests run offscreen under it too), and a
# short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh

# Headless: Qt draws offscreen and SDL plays into its dummy driver.
export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=dummy
jobs=$(nproc)

step() { printf '\n== %s\n' "$*"; }

step "formatting"
bash scripts/check-format.sh

step "development build"
cmake --preset dev >/dev/null
cmake --build build/dev -j "$jobs"
ctest --test-dir build/dev --output-on-failure --no-tests=error -j "$jobs"

step "AddressSanitizer + UndefinedBehaviorSanitizer build, the front end included"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake --preset asan >/dev/null
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan --output-on-failure --no-tests=error -j "$jobs"

step "fuzz targets"
cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j "$jobs" --target fuzzers
bash scripts/fuzz.sh build/fuzz "${ORVELIN_FUZZ_SECONDS:-15}"

step "all tests passed"
