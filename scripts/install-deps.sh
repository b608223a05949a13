#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the jukebox need.
# Safe to run again: apt-get skips what is already there. As root it calls apt-get, otherwise sudo.
set -euo pipefail

packages=(
  # build
  build-essential cmake pkg-config git
  clang-format-14  # the pinned formatter scripts/check-format.sh checks with
  libboost-regex-dev libboost-serialization-dev libboost-filesystem-dev
  libjpeg-dev libpng-dev libcurl4-openssl-dev
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libgtest-dev libgmock-dev
  nlohmann-json3-dev  # the JSON answers of the cover services
  # fuzzing (scripts/fuzz.sh): Clang with its libFuzzer and sanitizer runtimes
  clang libclang-rt-dev
  # run: codecs, fonts, dialogs
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad
  gstreamer1.0-plugins-ugly gstreamer1.0-libav gstreamer1.0-tools
  gstreamer1.0-x  # textoverlay, for the demo covers
  fonts-liberation2 zenity xdg-utils xdg-user-dirs
  # install checks: the menu entry
  desktop-file-utils
  # headless checks: virtual display, real X key events, screenshots
  xvfb xdotool x11-apps imagemagick
  # the Windows program (scripts/windows/): the cross compilers, the tools that build its libraries
  # from Debian's source packages, Wine to run its tests, zip for its package
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev bison
  wine wine64 zip unzip
)

if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
