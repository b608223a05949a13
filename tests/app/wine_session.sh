#!/usr/bin/env bash
# The Windows program end to end under Wine, headless: a home with one album of generated WAV
# songs; the script opens the album, queues a song, rates it 100, goes back to the main screen and
# takes a screenshot, waits until the song has played to its end through Media Foundation, and
# quits with Q. Each step waits on the state it needs (see the script), never on a fixed time.
# Usage: wine_session.sh TAVRIX_EXE PICS_DIR [OUT_DIR]   a home put together here
#        wine_session.sh --zip ZIP [OUT_DIR]               the home unpacked from tavrix-windows.zip, as a
#                                                          user starts it: no first run but the session's
# Exit 0 when all of it happened. OUT_DIR (default: a temporary folder) keeps the home, the log and
# main.png for a person to look at.
set -euo pipefail
zip=""
if [ "${1:-}" = "--zip" ]; then
  zip=$(realpath "$2")
  shift 2
  out=${1:-}
else
  exe=$(realpath "$1")
  pics=$(realpath "$2")
  out=${3:-}
fi
out=${out:-$(mktemp -d /tmp/tavrix-wine-XXXXXX)}
mkdir -p "$out"
out=$(realpath "$out")
wine=${TAVRIX_WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
export WINEPREFIX=${WINEPREFIX:-${TAVRIX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix-windows}/wine}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
# A new Wine prefix is made once, before anything is timed.
mkdir -p "$(dirname "$WINEPREFIX")"
[ -f "$WINEPREFIX/system.reg" ] || nice -n 15 "$wine" wineboot -i >/dev/null 2>&1

album="Björk - Début"
if [ -n "$zip" ]; then
  rm -rf "$out/unpacked"
  mkdir -p "$out/unpacked"
  unzip -q "$zip" -d "$out/unpacked"
  home=$out/unpacked/Tavrix
  for part in run/tavrix.exe pics/IMAGE_background.jpg covers files music; do
    [ -e "$home/$part" ] || { echo "wine session: the zip has no Tavrix/$part" >&2; exit 1; }
  done
  [ -z "$(find "$home/covers" "$home/files" "$home/music" -mindepth 1 -print -quit)" ] || { echo "wine session: the zip's covers, files or music are not empty" >&2; exit 1; }
  exe=$home/run/tavrix.exe
  mkdir -p "$home/music/$album"
else
  home=$out/home
  rm -rf "$home"
  mkdir -p "$home/run" "$home/covers" "$home/files" "$home/music/$album"
  cp -r "$pics" "$home/pics"
fi

# A WAV song of the given seconds: 16-bit stereo PCM at 22050 Hz of a quiet, steady signal.
le32() { printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)))"; }
write_wav() {
  local file=$1 seconds=$2 rate=22050
  local bytes=$((rate * 4 * seconds))
  {
    printf 'RIFF'; le32 $((36 + bytes)); printf 'WAVEfmt '; le32 16
    printf '\x01\x00\x02\x00'; le32 $rate; le32 $((rate * 4)); printf '\x04\x00\x10\x00'
    printf 'data'; le32 $bytes
    yes $'\x01\x01\x01' | head -c "$bytes" || true
  } >"$file"
}
write_wav "$home/music/$album/01 - Human behaviour.wav" 4
write_wav "$home/music/$album/02 - Crying.wav" 2

# Each run ends by itself; the limit only turns a hang into a failure, however slow the machine.
run_jukebox() {
  (cd "$home/run" && SDL_VIDEODRIVER=dummy TAVRIX_AUDIO_SINK=null TAVRIX_MUSICBRAINZ_SERVER=off \
    timeout -k 10 "${TAVRIX_WINE_SESSION_LIMIT:-600}" "$wine" "$exe" "$@")
}

# Put together here, a first start writes the settings and the library, and no server is asked
# anything afterwards; unpacked, the session is the first start (no server is named to ask).
if [ -z "$zip" ]; then
  run_jukebox --headless --rebuild-library >/dev/null 2>&1
  sed -i 's/^ CheckNewVersionOnStartup=.*/ CheckNewVersionOnStartup=no/' "$home/run/settings_v3.ini"
  rm -f "$home/run/log.txt" "$home/run/error.txt"
fi

# Every step waits for the state the next one needs: "still" until the panels have stopped
# moving, "until" until the log shows the song taken by a channel and, after that, that channel
# waiting for its next song (the first one played to its end). Only the deadlines are times.
cat >"$home/run/script.txt" <<'SCRIPT'
still 60000
key b
still 60000
key 1
still 60000
key 1
until 120000 Wait for SemStart Ready..
key r
key 0
still 60000
key Escape
still 60000
key Escape
still 60000
key Escape
still 60000
shot main.bmp
until 120000 Wait for SemStart
key q
SCRIPT
status=0
run_jukebox --headless --script script.txt >"$out/stdout.txt" 2>&1 || status=$?

fail() { echo "wine session: $*" >&2; echo "(home: $home)" >&2; exit 1; }
log=$home/run/log.txt
[ "$status" -eq 0 ] || fail "tavrix.exe ended with $status"
[ -f "$log" ] || fail "no log.txt"
if grep -q "^Script: not found after" "$log"; then fail "$(grep "^Script: not found after" "$log" | head -n 1)"; fi
grep -q "Select a song - Key 1-9,0" "$log" || fail "the album's song sheet did not open"
grep -q "Start_and_update_song" "$log" || fail "no song started"
grep -q "SetRatingLevel - Key 1-9,0" "$log" || fail "the song was not rated"
grep -qx "quit" "$log" || fail "Q did not quit"
# The worker that took the song waits for the next one once the song has played to its end.
awk '/^Wait for SemStart Ready\.\./ { started = 1 } started && /^Wait for SemStart$/ { ended = 1 } END { exit !ended }' "$log" ||
  fail "the song did not play to its end"
awk '/^Script: found Wait for SemStart$/ { ended = 1 } ended && /^quit$/ { quit = 1 } END { exit !quit }' "$log" ||
  fail "Q came before the song had ended"
if grep -q -e "is not recognized" -e "Failed to render" -e "format is not supported" -e "format is invalid" "$home/run/error.txt"; then
  fail "a song did not render: $(cat "$home/run/error.txt")"
fi
tag="$home/music/$album/tavrix.tag"
[ -f "$tag" ] || fail "no tag file in the album folder"
grep -q "rating=100" "$tag" || fail "the tag file holds no rating of 100"
grep -q "100" "$home/run/MusicDataBase.dat" || fail "the library saved at quit has no rating"
[ -s "$home/run/main.bmp" ] || fail "no screenshot"
if command -v convert >/dev/null; then convert "$home/run/main.bmp" "$out/main.png"; fi
echo "wine session: played, rated, quit and saved; screenshot $home/run/main.bmp"
