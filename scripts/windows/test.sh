#!/usr/bin/env bash
# Runs the Windows unit tests (built by scripts/windows/build.sh) under Wine, headless, one test per
# process as CTest does on Linux, so the process-wide singletons start fresh in every test.
# Usage: scripts/windows/test.sh [BUILD_DIR [SUITE...]]  (suites: trace settings library playback display net)
# Tests named in scripts/windows/pending-tests.txt are skipped and counted. Exit 0 when no test failed.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:-$repo/build-windows}")
shift || true
suites=("$@")
[ ${#suites[@]} -gt 0 ] || suites=(trace settings library playback display net)
cache=${TAVRIX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix-windows}
wine=${TAVRIX_WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
# Each test process ends within this many seconds or counts as failed (a hang is a failure).
per_test=${TAVRIX_WINE_TEST_TIMEOUT:-180}
jobs=${TAVRIX_WINDOWS_JOBS:-2}
export WINEPREFIX=${WINEPREFIX:-$cache/wine}
# No Wine chatter, no Mono or Gecko installers, and no debugger window when a test crashes on purpose.
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy TAVRIX_AUDIO_SINK=null
# As CTest runs them on Linux: the cover services off unless a test names its own (127.0.0.1) server.
export TAVRIX_MUSICBRAINZ_SERVER=off
# The theme pictures come from a Linux build (its theme painter has no Windows build), by Wine's
# drive for the Unix root.
pics=${TAVRIX_THEME_PICS:-$repo/build/pics}
[ -d "$pics" ] || { echo "windows tests: no theme pictures in $pics (build Linux first, or set TAVRIX_THEME_PICS)" >&2; exit 1; }
export TAVRIX_TEST_PICS="Z:$(realpath "$pics")"
mkdir -p "$(dirname "$WINEPREFIX")"
[ -f "$WINEPREFIX/system.reg" ] || nice -n 15 "$wine" wineboot -i >/dev/null 2>&1
# One Wine server for the whole run instead of one per test start.
"$(dirname "$wine")/wineserver" -p 30 2>/dev/null || true

out=$build/wine-tests
rm -rf "$out"
mkdir -p "$out"
pending=$(grep -v -e '^#' -e '^ *$' "$repo/scripts/windows/pending-tests.txt" 2>/dev/null | awk '{print $1}' || true)

# Writes SUITE.TEST lines of one executable to stdout.
list_tests() {
  timeout 120 "$wine" "$1" --gtest_list_tests 2>/dev/null | tr -d '\r' |
    awk '/^[^ ]/ { suite = $1 } /^  [^ ]/ { print suite $1 }'
}

for suite in "${suites[@]}"; do
  exe=$build/tests/$suite/tavrix_${suite}_tests.exe
  [ -f "$exe" ] || { echo "windows tests: no $exe (scripts/windows/build.sh builds it)" >&2; exit 1; }
  list_tests "$exe" | while read -r test; do
    if grep -qxF "$test" <<<"$pending"; then echo "pending $test" >>"$out/pending.txt"; else echo "$exe $test"; fi
  done
done >"$out/plan.txt"
[ -f "$out/pending.txt" ] || : >"$out/pending.txt"

# One test: its output in OUT/SUITE.TEST.txt, its name in passed.txt or failed.txt.
run_one() {
  local exe=$1 test=$2 log=$out/${2//\//_}.txt status=0
  (cd "$out" && timeout -k 10 "$per_test" nice -n 10 "$wine" "$exe" --gtest_filter="$test" >"$log" 2>&1) || status=$?
  if [ "$status" -eq 0 ] && grep -q '^\[  PASSED  \] 1 test' "$log"; then
    echo "$test" >>"$out/passed.txt"
  else
    [ "$status" -ne 124 ] || echo "(no end within $per_test s)" >>"$log"
    echo "$test" >>"$out/failed.txt"
    echo "FAILED $test (exit $status)"
  fi
}
export -f run_one
export out wine per_test
start=$(date +%s)
xargs -P "$jobs" -L 1 bash -c 'run_one "$0" "$1"' <"$out/plan.txt" || true
touch "$out/passed.txt" "$out/failed.txt"

passed=$(wc -l <"$out/passed.txt")
failed=$(wc -l <"$out/failed.txt")
skipped=$(wc -l <"$out/pending.txt")
echo "windows tests: $passed passed, $failed failed, $skipped pending ($(($(date +%s) - start)) s; logs in $out)"
if [ "$failed" -gt 0 ]; then
  for t in $(sort "$out/failed.txt"); do
    echo "---- $t"
    tail -n 25 "$out/${t//\//_}.txt"
  done
  exit 1
fi
