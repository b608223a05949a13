#!/usr/bin/env bash
# The Windows program end to end under Wine, headless: a home with one album of generated WAV
# songs; the script opens the album, queues a song, rates it 100, goes back to the main screen and
# takes a screenshot, lets the song play to its end through Media Foundation, and quits with Q.
# Usage: wine_session.sh TAVRIX_EXE PICS_DIR [OUT_DIR]; exit 0 when all of it happened.
# OUT_DIR (default: a temporary folder) keeps the home, the log and main.png for a person to look at.
set -euo pipefail
exe=$(realpath "$1")
pics=$(realpath "$2")
out=${3:-$(mktemp -d /tmp/tavrix-wine-XXXXXX)}
mkdir -p "$out"
out=$(realpath "$out")
wine=${TAVRIX_WINE:-$(command -v wine64 || echo /usr/lib/wine/wine64)}
export WINEPREFIX=${WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix-windows/wine}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
# A new Wine prefix is made once, before anything is timed.
mkdir -p "$(dirname "$WINEPREFIX")"
[ -f "$WINEPREFIX/system.reg" ] || nice -n 15 "$wine" wineboot -i >/dev/null 2>&1

home=$out/home
album="Björk - Début"
rm -rf "$home"
mkdir -p "$home/run" "$home/covers" "$home/files" "$home/music/$album"
cp -r "$pics" "$home/pics"

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

run_jukebox() {
  (cd "$home/run" && SDL_VIDEODRIVER=dummy TAVRIX_AUDIO_SINK=null timeout 120 "$wine" "$exe" "$@")
}

# The first start writes the settings and the library; no server is asked anything afterwards.
run_jukebox --headless --rebuild-library >/dev/null 2>&1
sed -i 's/^ CheckNewVersionOnStartup=.*/ CheckNewVersionOnStartup=no/' "$home/run/settings_v3.ini"
rm -f "$home/run/log.txt" "$home/run/error.txt"

cat >"$home/run/script.txt" <<'SCRIPT'
wait 1500
key b
wait 800
key 1
wait 800
key 1
wait 1500
key r
wait 300
key 0
wait 1500
key Escape
wait 400
key Escape
wait 800
shot main.bmp
wait 5000
key q
wait 5000
close
SCRIPT
status=0
run_jukebox --headless --script script.txt >"$out/stdout.txt" 2>&1 || status=$?

fail() { echo "wine session: $*" >&2; echo "(home: $home)" >&2; exit 1; }
log=$home/run/log.txt
[ "$status" -eq 0 ] || fail "tavrix.exe ended with $status"
[ -f "$log" ] || fail "no log.txt"
grep -q "Select a song - Key 1-9,0" "$log" || fail "the album's song sheet did not open"
grep -q "Start_and_update_song" "$log" || fail "no song started"
grep -q "SetRatingLevel - Key 1-9,0" "$log" || fail "the song was not rated"
grep -qx "quit" "$log" || fail "Q did not quit"
# The worker that took the song waits for the next one once the song has played to its end.
awk '/^Wait for SemStart Ready\.\./ { started = 1 } started && /^Wait for SemStart$/ { ended = 1 } END { exit !ended }' "$log" ||
  fail "the song did not play to its end"
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
