#!/usr/bin/env bash
# Builds the libraries of the Windows program (Boost, libjpeg-turbo, SDL2, FreeType, SDL2_ttf, GoogleTest)
# as static mingw-w64 libraries from Debian's source packages into a cache folder, reused when present.
# Usage: scripts/windows/build-deps.sh [PREFIX]; prints nothing but progress, ends with the prefix.
# The cache is TAVRIX_WINDOWS_CACHE, else $XDG_CACHE_HOME/tavrix-windows (default ~/.cache/tavrix-windows).
# Debian's source lines live in a private apt configuration inside the cache; the system's stays untouched.
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cache=${1:-${TAVRIX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrix-windows}}
prefix=$cache/prefix
sources=$cache/sources
jobs=${TAVRIX_WINDOWS_JOBS:-2}
host=x86_64-w64-mingw32
toolchain=$repo/cmake/mingw-w64.cmake
log=$cache/build.log
mkdir -p "$prefix" "$sources"
: >"$log"
# Every build runs niced (the machines that build this are shared); its output goes to the log,
# whose end is shown when a step fails.
run() {
  if ! nice -n 15 "$@" >>"$log" 2>&1; then
    echo "build-deps: failed: $*" >&2
    tail -n 40 "$log" >&2
    return 1
  fi
}

# The cross compilers and the source tools, from Debian.
need=()
for p in g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools dpkg-dev bison cmake make; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then as_root=(); else as_root=(sudo); fi
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${need[@]}"
fi

# A private apt configuration with source lines for the mirror and suite the system's apt uses.
apt_dir=$cache/apt
apt_conf=$apt_dir/apt.conf
setup_apt() {
  mkdir -p "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/sources.list.d"
  local uri suite keyring
  uri=$(grep -h -m1 -E '^URIs:.*debian/?$' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}' || true)
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  keyring=/usr/share/keyrings/debian-archive-keyring.gpg
  if [ -z "$uri" ]; then
    uri=$(grep -h -m1 -E '^deb +(\[[^]]*\] +)?https?://[^ ]*debian/? ' /etc/apt/sources.list 2>/dev/null |
      sed -E 's/^deb +(\[[^]]*\] +)?//' | awk '{print $1}' || true)
  fi
  uri=${uri:-http://deb.debian.org/debian}
  echo "deb-src [signed-by=$keyring] $uri $suite main" >"$apt_dir/sources.list"
  cat >"$apt_conf" <<CONF
Dir::Etc::sourcelist "$apt_dir/sources.list";
Dir::Etc::sourceparts "$apt_dir/sources.list.d";
Dir::State::lists "$apt_dir/lists";
Dir::Cache "$apt_dir";
Dir::Cache::archives "$apt_dir/archives";
APT::Sandbox::User "root";
CONF
  APT_CONFIG=$apt_conf run apt-get update -q
}

# Fetches and unpacks one Debian source package into sources/NAME; the folder is printed.
fetch() {
  local package=$1 dir=$sources/$1
  if [ ! -f "$dir/.unpacked" ]; then
    [ -f "$apt_conf" ] && [ -n "$(ls "$apt_dir/lists" 2>/dev/null | grep -v partial)" ] || setup_apt
    rm -rf "$dir" && mkdir -p "$dir"
    (cd "$dir" && APT_CONFIG=$apt_conf run apt-get source -q --download-only "$package" &&
      run dpkg-source --no-check -x ./*.dsc src && rm -f ./*.tar.* ./*.debian.* && touch .unpacked)
  fi
  echo "$dir/src"
}

# Marks a library as built for this version of the recipe; later runs skip it.
built() { [ -f "$prefix/.built-$1" ]; }
done_with() { touch "$prefix/.built-$1"; echo "build-deps: $1 done"; }

cmake_build() {
  local src=$1 build=$2; shift 2
  rm -rf "$build"
  run cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DTAVRIX_WINDOWS_DEPS="$prefix" "$@"
  run cmake --build "$build" -j"$jobs"
  run cmake --install "$build"
  rm -rf "$build"
}

start=$(date +%s)

if ! built boost-1; then
  src=$(fetch boost1.74)
  # Debian's source leaves out the generated grammar of the b2 build engine; its own build makes it so.
  (cd "$src" &&
    (cd tools/build && run bison -y -d -o src/engine/jamgram.cpp src/engine/jamgram.y) &&
    run ./bootstrap.sh --with-libraries=regex,serialization,filesystem &&
    echo "using gcc : mingw : $host-g++-posix ;" >"$cache/boost-user-config.jam" &&
    run ./b2 -q -j"$jobs" --user-config="$cache/boost-user-config.jam" --build-dir="$cache/boost-build" \
      --prefix="$prefix" --layout=system toolset=gcc-mingw target-os=windows threadapi=win32 \
      address-model=64 architecture=x86 variant=release link=static runtime-link=static threading=multi \
      --with-regex --with-serialization --with-filesystem install)
  rm -rf "$cache/boost-build"
  done_with boost-1
fi

if ! built jpeg-2; then
  src=$(fetch libjpeg-turbo)
  cmake_build "$src" "$cache/build-jpeg" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF \
    -DWITH_SIMD=OFF -DCMAKE_INSTALL_LIBDIR="$prefix/lib"
  done_with jpeg-2
fi

if ! built sdl2-1; then
  src=$(fetch libsdl2)
  cmake_build "$src" "$cache/build-sdl2" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_STATIC_PIC=OFF
  done_with sdl2-1
fi

if ! built freetype-1; then
  src=$(fetch freetype)
  cmake_build "$src" "$cache/build-freetype" -DFT_DISABLE_ZLIB=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON \
    -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_BROTLI=ON
  done_with freetype-1
fi

if ! built sdl2-ttf-1; then
  src=$(fetch libsdl2-ttf)
  cmake_build "$src" "$cache/build-sdl2-ttf" -DSDL2TTF_VENDORED=OFF -DSDL2TTF_SAMPLES=OFF -DSDL2TTF_HARFBUZZ=OFF \
    -DCMAKE_PREFIX_PATH="$prefix"
  done_with sdl2-ttf-1
fi

if ! built googletest-1; then
  src=$(fetch googletest)
  cmake_build "$src" "$cache/build-googletest" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_force_shared_crt=OFF
  done_with googletest-1
fi

echo "build-deps: ready in $prefix ($(($(date +%s) - start)) s)"
