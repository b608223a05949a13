#!/usr/bin/env bash
# A scripted session of the real jukebox for N minutes (headless, every mode, random play, ratings, volume,
# search, options, in a loop) with its RSS (and its written pages in the main heap and in anonymous maps),
# threads, open files and log size sampled every 30 s.
# Usage: tools/soak/soak.sh BUILD WORK [MINUTES=60]
#   BUILD    a build folder with app/tavrix and pics/ (the painted theme)
#   WORK     scratch folder: the demo home, the script and samples.tsv land there
# After the first 5 minutes the least-squares slope per minute of every figure is printed (also to
# WORK/slopes.txt). The program runs niced with SDL's dummy video driver and GStreamer's fakesink.
# TAVRIX_SOAK_WRAP runs it under a profiler, e.g. TAVRIX_SOAK_WRAP="heaptrack -o WORK/heaptrack": the
# figures are then the program's own (the wrapper's child), and it is ended with SIGTERM at the end.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:?usage: soak.sh BUILD WORK [MINUTES]}")
work=$(realpath -m "${2:?usage: soak.sh BUILD WORK [MINUTES]}")
minutes=${3:-60}
interval=${TAVRIX_SOAK_INTERVAL:-30}
tavrix=$build/app/tavrix
[ -x "$tavrix" ] || { echo "soak: no program at $tavrix" >&2; exit 1; }
[ -d "$build/pics" ] || { echo "soak: no painted theme in $build/pics" >&2; exit 1; }

home=$work/home
run=$home/run
mkdir -p "$work"
bash "$repo/tools/demo_music/make_demo_home.sh" "$home" >/dev/null
mkdir -p "$home/pics"
cp -f "$build/pics/"IMAGE_* "$home/pics/"
# A fresh start every run: no old log, library or settings from an earlier soak.
rm -f "$run"/log*.txt "$run"/error*.txt "$run/dialogs.txt" "$run/MusicDataBase.dat" "$run/settings_v3.ini"

export SDL_VIDEODRIVER=dummy TAVRIX_AUDIO_SINK=fakesink TAVRIX_MUSICBRAINZ_SERVER=
unset DISPLAY WAYLAND_DISPLAY TAVRIX_DIST_SERVER TAVRIX_LOCAL_SERVER TAVRIX_IMAGE_SEARCH
(cd "$run" && "$tavrix" --headless --rebuild-library >/dev/null)
# Random play on, so that music plays all the time; no server is asked anything.
sed -i -e 's/^ Userandom=.*/ Userandom=yes/' -e 's/^ CheckNewVersionOnStartup=.*/ CheckNewVersionOnStartup=no/' \
  "$run/settings_v3.ini"

# One round of about a minute through every mode; the script holds enough rounds for the whole run
# and ends the program at the end, the sampler ends it earlier if it is still there after MINUTES.
round='key b
wait 1000
key Right
wait 1000
key Down
wait 1000
key 1
wait 1000
key Down
wait 500
key Up
wait 500
key 2
wait 2000
key Escape
wait 500
key 2
wait 1000
key a
wait 2000
key Escape
wait 500
key Escape
wait 1000
key r
wait 300
key 8
wait 2500
key v
wait 300
key minus
wait 300
key plus
wait 2500
key s
wait 300
key a
key u
wait 2000
key Return
wait 1500
key Escape
wait 1000
key o
wait 1000
key 2
wait 300
key 2
wait 300
key 3
wait 300
key 3
wait 300
key 7
wait 300
key 7
wait 500
key Escape
wait 1000
key n
wait 3000
key space
wait 2000
key space
wait 2000
key p
wait 3000
key v
wait 300
key 5
wait 2500
key r
wait 300
key 0
wait 2500
key n
wait 10000'
# The round's length in seconds from its waits (the key presses take no time of their own).
round_s=$(printf '%s\n' "$round" | awk '$1 == "wait" { ms += $2 } END { printf "%d", ms / 1000 }')
rounds=$(((minutes * 60) / round_s + 2))
script=$work/soak-script.txt
{
  echo "wait 2000"
  for ((i = 0; i < rounds; i++)); do printf '%s\n' "$round"; done
  echo "key q"
} >"$script"

samples=$work/samples.tsv
echo -e "minute\trss_kb\tthreads\tfiles\tlog_kb\theap_kb\tanon_kb" >"$samples"
cd "$run"
# shellcheck disable=SC2086 # the wrapper is a command line of its own
nice -n 10 ${TAVRIX_SOAK_WRAP:-} "$tavrix" --headless --script "$script" >"$work/stdout.txt" 2>&1 &
wrapper=$!
pid=$wrapper
if [ -n "${TAVRIX_SOAK_WRAP:-}" ]; then
  # The program is a child of the wrapper; sample and end that one, so the wrapper sees a normal end.
  pid=""
  for _ in $(seq 100); do
    for child in $(pgrep -P "$wrapper" || true); do
      [ "$(readlink "/proc/$child/exe" 2>/dev/null)" = "$(readlink -f "$tavrix")" ] && pid=$child
    done
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { echo "soak: no jukebox under the wrapper" >&2; kill "$wrapper"; exit 1; }
fi
trap 'kill $pid 2>/dev/null || true' EXIT
echo "soak: jukebox $pid, $minutes min, $rounds rounds of ${round_s} s, samples every ${interval} s in $samples"

start=$(date +%s)
end=$((start + minutes * 60))
next=$start
while kill -0 "$pid" 2>/dev/null; do
  now=$(date +%s)
  if [ "$now" -ge "$next" ]; then
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
    files=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
    log_bytes=0
    [ -f log.txt ] && log_bytes=$(stat -c %s log.txt)
    # Where the written memory lies: the main malloc arena ([heap]) or anonymous mappings (the other
    # arena, thread stacks, large blocks, GStreamer's pools). The rest of the RSS is mapped files.
    dirty=$(awk '/^[0-9a-f]+-[0-9a-f]+ / { kind = $6 == "[heap]" ? "heap" : $6 == "" ? "anon" : "other"; next }
      /^Private_Dirty:/ { kb[kind] += $2 } END { printf "%d\t%d", kb["heap"], kb["anon"] }' "/proc/$pid/smaps" 2>/dev/null ||
      true)
    [ -n "$rss" ] && printf '%.2f\t%s\t%s\t%s\t%d\t%s\n' "$(echo "($now - $start) / 60" | bc -l)" "$rss" "$threads" \
      "$files" $((log_bytes / 1024)) "${dirty:-0	0}" >>"$samples"
    next=$((next + interval))
  fi
  [ "$now" -ge "$end" ] && break
  sleep 1
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid"
  wait "$wrapper" 2>/dev/null || true
  status="ran the whole $minutes min"
else
  wait "$wrapper" && status="ended by itself (exit 0)" || status="ended by itself (exit $?)"
fi
trap - EXIT

# Least-squares slope per minute over the samples after minute 5 (all of them for a run of 5 min or less).
awk -v status="$status" -F'\t' '
  NR == 1 { next }
  { all++; t[all] = $1; for (k = 2; k <= 7; k++) v[all, k] = $k }
  END {
    skip = (t[all] > 5) ? 5 : -1
    split("rss_kb threads files log_kb heap_kb anon_kb", name, " ")
    printf "soak: %s, %d samples; slopes per minute from minute %d on:\n", status, all, skip < 0 ? 0 : 5
    for (k = 2; k <= 7; k++) {
      n = st = sv = stt = stv = 0
      for (i = 1; i <= all; i++) {
        if (t[i] < skip) continue
        n++; st += t[i]; sv += v[i, k]; stt += t[i] * t[i]; stv += t[i] * v[i, k]
        first[k] = (n == 1) ? v[i, k] : first[k]; last[k] = v[i, k]
      }
      slope = (n > 1 && n * stt != st * st) ? (n * stv - st * sv) / (n * stt - st * st) : 0
      printf "  %-8s %10.2f /min   (%s .. %s)\n", name[k - 1], slope, first[k], last[k]
    }
  }' "$samples" | tee "$work/slopes.txt"
grep -c "" "$run/error.txt" 2>/dev/null | sed 's/^/soak: error.txt lines: /' || true
