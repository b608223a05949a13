#!/usr/bin/env bash
# Builds the jukebox and runs every test: the normal build, then the address+undefined sanitizer build.
# Usage: scripts/test.sh [--fast]   (--fast skips the sanitizer build)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600)
}

run_suite build
if [ "${1:-}" != "--fast" ]; then
  # The sanitizers need no benchmarks; leak checking stays off for GStreamer's process-wide caches.
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-asan -DTAVRIX_SANITIZE=ON -DTAVRIX_BENCH=OFF
fi
