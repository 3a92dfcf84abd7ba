#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, as
# root, and cross-builds libpng for both Windows targets into a cache outside
# the work tree. Idempotent: a second run only checks and returns.
set -euo pipefail

cache=${KESTROVA_CACHE:-/var/cache/kestrova}
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  cmake ninja-build make g++ binutils pkg-config dpkg-dev
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
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Can this machine run the shipped 32-bit file? Some kernels refuse 32-bit
# code altogether, so ask the kernel itself: assemble and run a tiny static
# i386 program. Where it runs, 32-bit Wine goes beside the 64-bit one and the
# tests drive the shipped file; where it does not, wine32 must not be
# installed (Debian's wine wrapper would pick its loader and every start would
# fail with "exec format error"). The answer is kept in $cache/run32 for the
# tests, `make run` and `make bench`, which read it each time they run.
# KESTROVA_RUN32=no makes them use the x86-64 twin; then nothing is installed
# or removed here, and the machine's answer is left as it is for other runs.
probe_32bit() {
  local dir rc
  dir=$(mktemp -d)
  printf '%s\n' '.globl _start' '_start:' \
    'movl $4, %eax' 'movl $1, %ebx' 'movl $msg, %ecx' 'movl $3, %edx' 'int $0x80' \
    'movl $1, %eax' 'movl $0, %ebx' 'int $0x80' \
    '.data' 'msg: .ascii "32\n"' >"$dir/probe.s"
  rc=1
  if as --32 -o "$dir/probe.o" "$dir/probe.s" 2>/dev/null &&
     ld -m elf_i386 -o "$dir/probe" "$dir/probe.o" 2>/dev/null &&
     [ "$("$dir/probe" 2>/dev/null)" = 32 ]; then
    rc=0
  fi
  rm -rf "$dir"
  return $rc
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
mkdir -p "$cache"
if [ "${KESTROVA_RUN32:-}" = no ]; then
  run32=
elif probe_32bit; then
  run32=yes
  if ! installed wine32:i386; then
    echo "setup: this machine runs 32-bit code; installing wine32:i386 to run the shipped file"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends wine32:i386 >/dev/null; }; then
      run32="no: installing wine32:i386 failed"
    fi
  fi
else
  run32="no: this machine cannot run 32-bit code"
  if installed wine32:i386; then
    echo "setup: this machine cannot run 32-bit code; removing wine32, whose loader would fail every start"
    apt-get remove -y -qq wine32:i386 >/dev/null
  fi
fi
[ -z "$run32" ] || { echo "$run32" >"$cache/run32.new" && mv "$cache/run32.new" "$cache/run32"; }

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
