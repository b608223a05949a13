#!/usr/bin/env bash
# Makes tavrix-windows.zip: one folder "Tavrix" that is a whole jukebox home, run\tavrix.exe beside the
# theme in pics\ and the empty covers\, files\ and music\ folders; unpacked, run\tavrix.exe starts in it.
# Usage: scripts/windows/package.sh [BUILD_DIR [PICS_DIR [ZIP]]]
#   BUILD_DIR  the Windows build (scripts/windows/build.sh; default build-windows)
#   PICS_DIR   the painted theme (a Linux build's pics; default build/pics)
#   ZIP        the archive to write (default BUILD_DIR/tavrix-windows.zip); replaced whole or left alone
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build-windows}
pics=${2:-$repo/build/pics}
zip_file=${3:-$build/tavrix-windows.zip}
exe=$build/app/tavrix.exe
fail() { echo "package: $*" >&2; exit 1; }
[ -f "$exe" ] || fail "no $exe (scripts/windows/build.sh builds it)"
[ -f "$pics/IMAGE_background.jpg" ] || fail "no theme in $pics (a Linux build paints it: cmake --build build)"
command -v zip >/dev/null || fail "zip is missing (scripts/install-deps.sh installs it)"

# The home is put together in a scratch folder and zipped into a temporary name beside the target,
# which is renamed over it at the end: a failed run leaves no half-written archive.
work=$(mktemp -d "${TMPDIR:-/tmp}/tavrix-package-XXXXXX")
trap 'rm -rf "$work"; rm -f "$zip_file.tmp"' EXIT
home=$work/Tavrix
mkdir -p "$home/run" "$home/pics" "$home/covers" "$home/files" "$home/music"
# Without the debugging information the build keeps for its own tests (a third of the size).
x86_64-w64-mingw32-strip -o "$home/run/tavrix.exe" "$exe"
# The pictures only: the painter's stamp file is no part of the theme.
find "$pics" -maxdepth 1 -type f ! -name '.*' -exec cp {} "$home/pics/" \;
mkdir -p "$(dirname "$zip_file")"
zip_file=$(cd "$(dirname "$zip_file")" && pwd)/$(basename "$zip_file")
rm -f "$zip_file.tmp"
# Fixed times and no extra attributes, so the same inputs give the same archive.
find "$home" -exec touch -h -d '2000-01-01 00:00:00' {} +
# The folders are listed too, so the empty ones are in the archive.
(cd "$work" && find Tavrix -print | LC_ALL=C sort | zip -q -X "$zip_file.tmp" -@)
mv -f "$zip_file.tmp" "$zip_file"
echo "package: $zip_file ($(du -k "$zip_file" | cut -f1) KiB)"
