#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, as
# root, and cross-builds libpng for both Windows targets into a cache outside
# the work tree. Idempotent: a second run only checks and returns.
set -euo pipefail

cache=${KESTROVA_CACHE:-/var/cache/kestrova}
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build make g++ pkg-config dpkg-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64 libz-mingw-w64-dev
  wine wine64 xvfb xdotool x11-utils imagemagick
  locales fonts-wqy-microhei
  libgtest-dev googletest libbenchmark-dev libpng-dev zlib1g-dev
  clang libclang-rt-14-dev python3
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# 32-bit Wine cannot run on these machines, and once present the wine wrapper
# picks it and fails with "exec format error".
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  apt-get remove -y wine32
fi
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen >/dev/null
fi

# libpng for MinGW is not packaged: build Debian's own source for both targets.
# Only the reading half is configured: the program decodes one picture and
# installs its own error and warning handlers, so neither the writer (with
# zlib's deflate) nor the messages to the console are wanted. Sections per
# function, so the linker keeps only what the decoder calls.
png_options=("option WRITE off" "option CONSOLE_IO off")
png_flags_for() {
  local flags="-Os -ffunction-sections -fdata-sections"
  # With i686's DWARF unwinding every function's unwind entry is kept, and keeps
  # its function alive through --gc-sections. C code is never unwound through
  # there (libpng leaves by longjmp, which on i686 needs no tables). x86_64
  # keeps its tables: its longjmp unwinds through them.
  [ "$1" = i686-w64-mingw32 ] && flags+=" -fno-asynchronous-unwind-tables"
  echo "$flags"
}
build_png() {
  local triplet=$1 prefix=$cache/$1
  local png_flags stamp
  png_flags=$(png_flags_for "$triplet")
  stamp="$png_flags; ${png_options[*]}"
  [ -f "$prefix/lib/libpng.a" ] && [ "$(cat "$prefix/.flags" 2>/dev/null)" = "$stamp" ] && return 0
  mkdir -p "$cache/src"
  if ! ls -d "$cache"/src/libpng1.6-*/ >/dev/null 2>&1; then
    if ! grep -rqsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      local uri
      uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
      [ -n "$uri" ] || uri=$(awk '/^deb / {print $2; exit}' /etc/apt/sources.list 2>/dev/null)
      printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$uri" >/etc/apt/sources.list.d/kestrova-src.sources
      apt-get update -qq
    fi
    (cd "$cache/src" && apt-get source -qq libpng1.6 >/dev/null)
  fi
  local src
  src=$(ls -d "$cache"/src/libpng1.6-*/ | head -n1)
  cat >"$cache/$triplet.cmake" <<TC
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER $triplet-gcc)
set(CMAKE_RC_COMPILER $triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triplet)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
TC
  printf '%s\n' "${png_options[@]}" >"$cache/png-options.dfa"
  rm -rf "$cache/build-$triplet"
  cmake -S "$src" -B "$cache/build-$triplet" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$cache/$triplet.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="$png_flags" -DCMAKE_C_FLAGS_RELEASE="-DNDEBUG" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON \
    -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF -DPNG_HARDWARE_OPTIMIZATIONS=OFF \
    -DZLIB_LIBRARY=/usr/$triplet/lib/libz.a -DZLIB_INCLUDE_DIR=/usr/$triplet/include \
    -DDFA_XTRA="$cache/png-options.dfa" >/dev/null
  cmake --build "$cache/build-$triplet" >/dev/null
  cmake --install "$cache/build-$triplet" >/dev/null
  echo "$stamp" >"$prefix/.flags"
  echo "setup: libpng built for $triplet in $prefix"
}
build_png i686-w64-mingw32
build_png x86_64-w64-mingw32
