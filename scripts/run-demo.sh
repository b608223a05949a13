#!/usr/bin/env bash
# Builds the jukebox, makes the demo jukebox home (generated music and theme) in demo-home/,
# and runs the jukebox there. Usage: scripts/run-demo.sh [HOME]
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

# The demo asks no server anything at start-up.
settings="$home/run/settings_v3.ini"
cd "$home/run"
if [ ! -f "$settings" ]; then
  "$repo/build/app/tavrix" --headless --rebuild-library >/dev/null
fi
sed -i 's/^ CheckNewVersionOnStartup=.*/ CheckNewVersionOnStartup=no/' "$settings"

echo "== The demo library as the jukebox sees it (home: $home)"
"$repo/build/app/tavrix" --headless --rebuild-library --list
