#!/usr/bin/env bash
# Builds the fuzzing harnesses with Clang (build-fuzz/: only the harnesses, the program and the theme that
# make their seeds) and runs every harness for a while. Fails when one finds a crash; skipped without Clang.
# Usage: scripts/fuzz.sh [SECONDS-EACH=20]   (findings in build-fuzz/ci-fuzz/findings/)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
if ! command -v clang >/dev/null || ! command -v clang++ >/dev/null; then
  echo "fuzz: no clang, fuzzing skipped (scripts/install-deps.sh installs it)"
  exit 0
fi
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_FUZZ=ON -DTAVRIX_TESTS=OFF \
  -DTAVRIX_BENCH=OFF >/dev/null
# The painter links the instrumented display library: its process-wide caches are no finding.
ASAN_OPTIONS=detect_leaks=0 cmake --build build-fuzz -j"$(nproc)" --target tavrix_fuzz tavrix tavrix_theme_pics
# Fresh seeds and no findings of an earlier run.
rm -rf build-fuzz/ci-fuzz
exec bash tools/fuzz/run.sh build-fuzz build-fuzz/ci-fuzz "$seconds"
