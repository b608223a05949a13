#!/usr/bin/env bash
# Creates a jukebox home with a demo music folder: a dozen albums of short synthesised songs
# (MP3, OGG, FLAC, WAV) and JPEG covers, all made with GStreamer. Safe to run again: a complete home is left alone.
#
# Usage: tools/demo_music/make_demo_home.sh [--two-directories] HOME
#   default            HOME/music/Artist - Title/NN - Song name.ext   (matches the default CD_ARTIST, CD_TITLE, SONG)
#   --two-directories  HOME/music/Artist/Title/NN - Song name.ext, and HOME/run/settings_v3.ini starts with
#                      UseTwoDirectories=yes and CD_TITLE=(.*) so that the album folder is the whole title.
# Also creates HOME/run (working folder), HOME/pics, HOME/covers and HOME/files.
set -euo pipefail

layout=one
home=""
for arg in "$@"; do
  case "$arg" in
    --two-directories) layout=two ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    -*) echo "make_demo_home: unknown option $arg" >&2; exit 2 ;;
    *) home=$arg ;;
  esac
done
if [ -z "$home" ]; then
  echo "usage: $0 [--two-directories] HOME" >&2
  exit 2
fi
command -v gst-launch-1.0 >/dev/null || { echo "make_demo_home: gst-launch-1.0 missing (scripts/install-deps.sh)" >&2; exit 1; }
for element in audiotestsrc concat lamemp3enc vorbisenc oggmux flacenc wavenc videotestsrc textoverlay jpegenc; do
  gst-inspect-1.0 "$element" >/dev/null 2>&1 || { echo "make_demo_home: GStreamer element $element missing (scripts/install-deps.sh)" >&2; exit 1; }
done

mkdir -p "$home/run" "$home/pics" "$home/covers" "$home/files"
music="$home/music"
marker="$music/.tavrix-demo-complete"

if [ -e "$music" ]; then
  if [ -f "$marker" ] && [ "$(cat "$marker")" = "$layout" ]; then
    echo "make_demo_home: $music is complete ($layout-folder layout)"
    exit 0
  fi
  if [ -f "$marker" ]; then
    echo "make_demo_home: $music holds the $(cat "$marker")-folder layout; remove it to make the $layout-folder one" >&2
  else
    echo "make_demo_home: $music exists and is not a demo folder; leaving it alone" >&2
  fi
  exit 1
fi

# Albums: artist|title|format (mp3, ogg, flac, wav or mix)|cover file ("" for none)|cover pattern|songs
# Artists hold no "-" and song names no "-", "|" or ",", so the default expressions split them cleanly.
albums=(
  "10 Pound Brass|Marching Home|mp3|cover.jpg|smpte|Morning Parade;Brass on the Green;Drum Major;Evening Retreat"
  "3 Doors East|Lanterns|ogg||-|Paper Light;Harbour Steps;Slow Tide"
  "Aurora Fields|Northern Lights|flac|folder.jpg|circular|First Glow;Polar Night;Green Curtain;Frozen Lake;Last Light"
  "Aurora Fields|Second Dawn|mp3|cover.jpg|gradient|Wake;Sunrise Road;Open Sky"
  "Blue Harbour|Tidewater|wav|cover.jpg|bar|Low Tide;Gulls;Pier Lights;Salt Wind"
  "Cobalt Sky|Static Bloom|ogg|folder.jpg|zone-plate|Signal;Noise Garden;Radio Rose;Blue Hour;Antenna;Quiet Band"
  "étoile du Nord|Chansons du Soir|mp3|cover.jpg|pinwheel|La Rue Pavée;Minuit à Paris;Café Noir;Les Étoiles"
  "Fennel & Thyme|Kitchen Songs|flac||-|Simmer;Wooden Spoon;Bread Rising"
  "Kosheen Echo|Resist|mix|cover.jpg|spokes|Hide U Again;Catch Me;Harder Now;Slip Away;Empty Skies;Pride;Resist"
  "Midnight Ferry|Crossings|ogg|cover.jpg|checkers-8|Departure;Open Water;Fog Horn;Arrival"
  "Quiet Engines|Idle|wav||-|Warm Up;Tick Over;Cool Down"
  "Zephyr Lane|Paper Kites|mp3|folder.jpg|colors|String and Sky;Updraft;Tangled Tail;Landing Soft;Kite Festival;Home Wind;Dusk;Folded"
)

# Notes of a pentatonic scale, in Hz, for the melodies.
scale=(262 294 330 392 440 523 587 659 784 880)
waves=(sine triangle square saw)

encoder_for() {
  case "$1" in
    mp3) echo "lamemp3enc target=bitrate bitrate=128 ! id3v2mux" ;;
    ogg) echo "vorbisenc quality=0.4 ! oggmux" ;;
    flac) echo "flacenc" ;;
  esac
}

# One song: a melody of 12 to 24 tones of 0.3 to 0.8 s (about 6 to 14 s), chosen from the seed so reruns agree.
# The melody is made as WAV first: the encoders want one continuous stream, not concat's segments.
make_song() {
  local file=$1 format=$2 seed=$3
  local notes=$((12 + seed % 13)) wave=${waves[$((seed % 4))]} sources="" i
  for ((i = 0; i < notes; i++)); do
    local freq=${scale[$(((seed * 7 + i * i * 3 + i) % 10))]}
    local tenths=$((3 + (seed + i) % 6))
    sources+=" audiotestsrc wave=$wave freq=$freq volume=0.25 samplesperbuffer=4410 num-buffers=$tenths"
    sources+=" ! audio/x-raw,rate=44100,channels=1 ! c."
  done
  local melody="$file.wav.part"
  # shellcheck disable=SC2086
  gst-launch-1.0 -q concat name=c ! audioconvert ! audio/x-raw,rate=44100,channels=2,format=S16LE \
    ! wavenc ! filesink location="$melody" $sources
  if [ "$format" = wav ]; then
    mv "$melody" "$file"
    return
  fi
  # shellcheck disable=SC2046
  gst-launch-1.0 -q filesrc location="$melody" ! wavparse ! audioconvert ! $(encoder_for "$format") \
    ! filesink location="$file.part"
  rm -f "$melody"
  mv "$file.part" "$file"
}

make_cover() {
  local file=$1 pattern=$2 text=$3
  gst-launch-1.0 -q videotestsrc pattern="$pattern" num-buffers=1 ! video/x-raw,width=500,height=500 \
    ! textoverlay text="\"$text\"" font-desc="Sans Bold 34" valignment=center halignment=center \
      shaded-background=true line-alignment=center ! videoconvert ! jpegenc quality=85 \
    ! filesink location="$file.part"
  mv "$file.part" "$file"
}

work="$home/.music.partial"
rm -rf "$work"
mkdir -p "$work"

# Every file is one task; two run at a time.
tasks=()
seed=1
for album in "${albums[@]}"; do
  IFS='|' read -r artist title format cover pattern songs <<<"$album"
  if [ "$layout" = one ]; then folder="$work/$artist - $title"; else folder="$work/$artist/$title"; fi
  mkdir -p "$folder"
  if [ -n "$cover" ]; then
    tasks+=("cover|$folder/$cover|$pattern|$artist"$'\n'"$title")
  fi
  IFS=';' read -r -a names <<<"$songs"
  n=1
  for name in "${names[@]}"; do
    f=$format
    if [ "$f" = mix ]; then f=$(echo "mp3 ogg flac wav" | cut -d' ' -f$((n % 4 + 1))); fi
    tasks+=("song|$(printf '%s/%02d - %s.%s' "$folder" "$n" "$name" "$f")|$f|$seed")
    n=$((n + 1))
    seed=$((seed + 1))
  done
done

run_task() {
  local kind path a b
  IFS='|' read -r kind path a b <<<"${1%%$'\n'*}"
  if [ "$kind" = cover ]; then
    make_cover "$path" "$a" "$b"$'\n'"${1#*$'\n'}"
  else
    make_song "$path" "$a" "$b"
  fi
}

failed=0
running=0
for task in "${tasks[@]}"; do
  run_task "$task" &
  running=$((running + 1))
  if [ "$running" -ge 2 ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
if [ "$failed" -ne 0 ]; then
  echo "make_demo_home: a GStreamer pipeline failed; $work is left for inspection" >&2
  exit 1
fi

echo "$layout" >"$work/.tavrix-demo-complete"
mv "$work" "$music"

if [ "$layout" = two ] && [ ! -e "$home/run/settings_v3.ini" ]; then
  # The jukebox adds every other key with its default at its first start.
  printf ' <REGULAR EXPRESSIONS>\n UseTwoDirectories=yes\n CD_TITLE=(.*)\n' >"$home/run/settings_v3.ini"
fi
echo "make_demo_home: made $music (${#albums[@]} albums, $layout-folder layout)"
