#!/usr/bin/env bash
# Builds the jukebox, makes the demo jukebox home (generated music and theme) in demo-home/,
# and runs the jukebox there. Without a display it runs under Xvfb with a short script and
# writes screenshots (PNG) into HOME/shots. Usage: scripts/run-demo.sh [HOME]
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)
home=${1:-$repo/demo-home}

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target tavrix tavrix_theme_pics

bash tools/demo_music/make_demo_home.sh "$home"
mkdir -p "$home/pics"
cp -f build/pics/IMAGE_* "$home/pics/"

# The demo asks no server anything at start-up, and its made-up albums have no covers on the web.
export TAVRIX_MUSICBRAINZ_SERVER=
settings="$home/run/settings_v3.ini"
cd "$home/run"
if [ ! -f "$settings" ]; then
  "$repo/build/app/tavrix" --headless --rebuild-library >/dev/null
fi
sed -i 's/^ CheckNewVersionOnStartup=.*/ CheckNewVersionOnStartup=no/' "$settings"

echo "== The demo library as the jukebox sees it (home: $home)"
"$repo/build/app/tavrix" --headless --rebuild-library --list

cd "$home/run"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  echo "== The jukebox (b browse, 1-6 open an album, a queue it, Escape back, q quit; the README lists every key)"
  exec "$repo/build/app/tavrix"
fi

# No display: the real window on a virtual X server, driven by a short script.
shots="$home/shots"
mkdir -p "$shots"
cat > "$shots/demo-script.txt" <<SCRIPT
wait 1500
shot $shots/1-main.bmp
key b
wait 1500
shot $shots/2-browse.bmp
key Down
wait 800
key Down
wait 1500
shot $shots/3-browse-next.bmp
key 1
wait 1500
shot $shots/4-select.bmp
key a
wait 2500
shot $shots/5-playing.bmp
key r
wait 800
key 9
wait 300
shot $shots/6-rating.bmp
wait 1500
key v
wait 800
key 5
wait 300
shot $shots/7-volume.bmp
wait 1500
key s
wait 500
key b
key l
wait 300
shot $shots/8-search.bmp
wait 1500
shot $shots/9-search-jump.bmp
key Return
wait 800
key o
wait 1500
shot $shots/10-options.bmp
key Escape
wait 800
key Escape
wait 800
key space
wait 2500
shot $shots/11-paused.bmp
key q
wait 3000
close
SCRIPT
echo "== The jukebox under Xvfb with $shots/demo-script.txt"
TAVRIX_AUDIO_SINK=${TAVRIX_AUDIO_SINK:-fakesink} timeout 120 \
  xvfb-run -a -s "-screen 0 1024x768x24" "$repo/build/app/tavrix" --headless --script "$shots/demo-script.txt" || true
for bmp in "$shots"/*.bmp; do
  [ -f "$bmp" ] || continue
  convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "== Screenshots: $shots"
ls "$shots"/*.png 2>/dev/null || echo "(none were written; see $home/run/error.txt)"
