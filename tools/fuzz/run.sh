#!/usr/bin/env bash
# Runs every harness of a fuzzing build one after the other, niced, on seeds made by a real jukebox run
# and by the theme painter (BUILD-FUZZ/pics). Exits 1 when a harness found a crash or a broken promise.
# Usage: tools/fuzz/run.sh BUILD-FUZZ WORK [SECONDS-EACH=120] [HARNESS...]   (findings land in WORK/findings/)
set -euo pipefail
build=$(realpath "$1")
work=$(realpath -m "$2")
seconds=${3:-120}
shift $(($# < 3 ? $# : 3))
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(library_file ini_file tag_file cover_jpeg cover_bmp cover_page version_text script)
tavrix=${TAVRIX:-$build/app/tavrix}
pics=$build/pics
[ -f "$pics/IMAGE_no_cover.jpg" ] || { echo "run.sh: no painted theme in $pics (build tavrix_theme_pics)" >&2; exit 1; }
# Covers over the size limit are replaced by the theme's placeholder, as in a real home.
export TAVRIX_FUZZ_PLACEHOLDER=$pics/IMAGE_no_cover.jpg
# The seed runs ask no cover service.
export TAVRIX_MUSICBRAINZ_SERVER=
mkdir -p "$work/findings"

# The seeds: a library file and a settings file exactly as the jukebox writes them, from a tiny
# music folder with one rated album, and one typical input for every other parser.
seed_home=$work/seed-home
if [ ! -d "$work/corpora" ]; then
  rm -rf "$seed_home"
  for album in "Alpha Band - First Light" "Zeta - Night & Day" "9 Lives - Numbers"; do
    mkdir -p "$seed_home/music/$album"
    touch "$seed_home/music/$album/01 - Song One.mp3" "$seed_home/music/$album/02 - Second, Song.mp3"
  done
  # A real cover, so that the start below writes its cache bitmap as it does for a downloaded one.
  cp "$pics/IMAGE_gold.jpg" "$seed_home/music/Zeta - Night & Day/cover.jpg"
  printf ' <01 - Song One.mp3>\n rating=95\n <02 - Second, Song.mp3>\n rating=40\n' \
    >"$seed_home/music/Alpha Band - First Light/tavrix.tag"
  mkdir -p "$seed_home/run" "$seed_home/pics"
  cp "$pics"/IMAGE_* "$seed_home/pics/"
  (cd "$seed_home/run" && ASAN_OPTIONS=detect_leaks=0 "$tavrix" --headless --rebuild-library >/dev/null 2>&1)
  printf 'wait 200\nkey q\n' >"$seed_home/run/seed-script.txt"
  (cd "$seed_home/run" && SDL_VIDEODRIVER=dummy TAVRIX_AUDIO_SINK=fakesink ASAN_OPTIONS=detect_leaks=0 \
    "$tavrix" --headless --script seed-script.txt >/dev/null 2>&1) || true

  c=$work/corpora
  mkdir -p "$c"/{library_file,ini_file,tag_file,cover_jpeg,cover_bmp,cover_page,version_text,script}
  cp "$seed_home/run/MusicDataBase.dat" "$c/library_file/rated.dat"
  # The INI harness reads the text to store and a key or section name first, each ended by "\" and one character.
  printf '95\\\nrating\\\n' | cat - "$seed_home/music/Alpha Band - First Light/tavrix.tag" >"$c/ini_file/tag"
  printf 'no\\\nUseLogging\\\n' | cat - "$seed_home/run/settings_v3.ini" >"$c/ini_file/settings"
  cp "$seed_home/music/Alpha Band - First Light/tavrix.tag" "$c/tag_file/rated.tag"
  # Covers: small theme pictures as the painter writes them (libjpeg, 24-bit BMP) and the cache bitmap the
  # start above made from one.
  cp "$pics/IMAGE_gold.jpg" "$pics/IMAGE_button_1.jpg" "$c/cover_jpeg/"
  cp "$pics/IMAGE_24bit.bmp" "$c/cover_bmp/"
  find "$seed_home/covers" -name '*.bmp' -size -200k -exec cp {} "$c/cover_bmp/" \; 2>/dev/null || true
  printf '<html><a href="/imgres?imgurl=http://a.example/x.jpg&imgrefurl=http://b">1</a>
<a href="/imgres?imgurl=http://c.example/redirect?u=http://d.example/y.JPG&w=1">2</a>
<a href="/imgres?imgurl=https://e.example/z.jpg">3</a><a href="/imgres?imgurl=http://f/g.jpg">4</a></html>\n' \
    >"$c/cover_page/page.html"
  printf 'version=v2.300\r\n' >"$c/version_text/info.txt"
  printf '# open the options\nwait 100\nkey o\nkey Return\nkey  \nclick 10 20\nrclick 5 5\nanswer ok\nfolder /tmp/music\nshot a.bmp\nclose\n' \
    >"$c/script/run.script"
fi

failed=()
for h in "${harnesses[@]}"; do
  mkdir -p "$work/findings/$h"
  extra=()
  # Slow pages and covers are what the jukebox must not have; the library and INI inputs need room to grow.
  case $h in
    cover_page) extra=(-timeout=10 -max_len=65536) ;;
    library_file | ini_file | tag_file) extra=(-max_len=16384) ;;
    cover_jpeg | cover_bmp) extra=(-timeout=10 -max_len=131072) ;;
  esac
  echo "=== $h"
  # Findings go beside the log of their harness instead of into the folder the script was started from.
  # pipefail: the pipeline fails with the fuzzer, whatever the filter finds.
  if ! nice -n 19 "$build/tools/fuzz/fuzz_$h" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/findings/$h/" "${extra[@]}" "$work/corpora/$h" 2>&1 |
    tee "$work/findings/$h.log" | { grep -aE "^#[0-9]+ +DONE|^stat::|ERROR|SUMMARY|tavrix fuzz|artifact" || true; }; then
    failed+=("$h")
  fi
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "run.sh: findings of ${failed[*]} in $work/findings/ (each log names its input)" >&2
  exit 1
fi
