#!/usr/bin/env bash
# Cross-builds the Windows program (build-windows/app/tavrix.exe) and, unless --no-tests, its unit
# tests: the libraries first (scripts/windows/build-deps.sh, cached), then the jukebox with the
# mingw-w64 toolchain. Usage: scripts/windows/build.sh [--no-tests] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
tests=ON
if [ "${1:-}" = "--no-tests" ]; then tests=OFF; shift; fi
build=${1:-build-windows}
cache=${TAVRIX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix-windows}
bash scripts/windows/build-deps.sh "$cache"
export TAVRIX_WINDOWS_DEPS=$cache/prefix
# Niced and two jobs at most: the machines that build this are shared.
nice -n 15 cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTAVRIX_PLATFORM=windows \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVRIX_WINDOWS_DEPS="$TAVRIX_WINDOWS_DEPS" -DTAVRIX_TESTS=$tests >/dev/null
nice -n 15 cmake --build "$build" -j"${TAVRIX_WINDOWS_JOBS:-2}"
echo "windows: $build/app/tavrix.exe"
