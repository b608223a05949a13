#!/usr/bin/env bash
# Builds the jukebox and runs every test: the normal build, then the address+undefined sanitizer build.
# Usage: scripts/test.sh [--fast] [--repeat N]
#   --fast      skips the sanitizer build
#   --repeat N  runs every test N times in a row (in random order each time); any failure fails
set -euo pipefail
cd "$(dirname "$0")/.."
fast=0
repeat=1
while [ $# -gt 0 ]; do
  case "$1" in
    --fast) fast=1 ;;
    --repeat) repeat=${2:?--repeat needs a count}; shift ;;
    *) echo "usage: scripts/test.sh [--fast] [--repeat N]" >&2; exit 2 ;;
  esac
  shift
done
bash scripts/install-deps.sh
# The format first: it takes a second and fails before any build does.
bash scripts/check-format.sh
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600 --schedule-random --repeat until-fail:"$repeat")
}

run_suite build
if [ "$fast" -eq 0 ]; then
  # The sanitizers need no benchmarks; leak checking stays off for GStreamer's process-wide caches.
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-asan -DTAVRIX_SANITIZE=ON -DTAVRIX_BENCH=OFF
fi
