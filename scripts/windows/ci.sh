#!/usr/bin/env bash
# CI's Windows part, after the Linux build (whose painted theme the Windows program uses): cross-builds
# the program and its unit tests (the libraries come from the cache, built when it is cold), runs the
# unit tests under Wine, makes tavrix-windows.zip, and plays one session from the unpacked zip.
# Usage: scripts/windows/ci.sh [LINUX_BUILD=build]; the Windows build is build-windows, and the session's
# home, log and screenshot (main.png) stay in build-windows/ci-session. Prints each step's time.
set -euo pipefail
cd "$(dirname "$0")/../.."
linux_build=${1:-build}
[ -f "$linux_build/pics/IMAGE_background.jpg" ] || {
  echo "windows ci: no theme in $linux_build/pics (the Linux build paints it)" >&2
  exit 1
}
build=build-windows
start=$(date +%s)
step() {
  local name=$1 began
  shift
  began=$(date +%s)
  echo "windows ci: $name"
  "$@"
  echo "windows ci: $name took $(($(date +%s) - began)) s"
}
step "build" bash scripts/windows/build.sh "$build"
TAVRIX_THEME_PICS=$linux_build/pics step "unit tests under Wine" bash scripts/windows/test.sh "$build"
step "package" bash scripts/windows/package.sh "$build" "$linux_build/pics" "$build/tavrix-windows.zip"
step "session from the zip" bash tests/app/wine_session.sh --zip "$build/tavrix-windows.zip" "$build/ci-session"
echo "windows ci: passed in $(($(date +%s) - start)) s"
