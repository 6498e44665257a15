#!/usr/bin/env bash
# Makes build-windows/palvorn-enemy-creator-VERSION-windows-x64.zip on Linux:
#   1. Qt 6 for MinGW, built once from Debian's source into a cache folder;
#   2. the libraries, pasmo and the program, cross-built with MinGW;
#   3. the zip: the program, the Qt DLLs and plugins it imports, asm.bat,
#      pasmo.exe, palvorn-8xp.exe and a README for Windows users.
# Usage: scripts/windows/build.sh [qt|deps|program|zip]...  (all steps when none)
# The cache is $PALVORN_CACHE (default ~/.cache/palvorn); a matching Qt in
# ../shared/qt6-mingw next to the clone is used instead of building one.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
here="$root/scripts/windows"
cache="${PALVORN_CACHE:-$HOME/.cache/palvorn}"
jobs="${PALVORN_JOBS:-2}"
host=x86_64-w64-mingw32
qt_version=6.4.2
out="$root/build-windows"
deps="$cache/mingw-deps"          # zlib, libspng, giflib, libjpeg-turbo, libwebp
toolchain="$cache/mingw-toolchain.cmake"

# The Qt configuration; its text is the stamp a reusable build must carry.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_xml=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_direct2d=OFF
  -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF -DFEATURE_freetype=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF
)
qt_stamp="qt6-base $qt_version for $host: ${qt_options[*]}"

log() { printf '== %s\n' "$*"; }

# Installs the Debian packages the cross-build needs (only those missing).
install_packages() {
  "$root/scripts/install-missing.sh" \
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    mingw-w64-x86-64-dev libwine-dev dpkg-dev cmake ninja-build qt6-base-dev \
    autoconf automake libtool nasm zip file
}

# Fetches and unpacks Debian's source package $1 into $cache/src/$1 (once).
# Its deb-src line lives in a private APT configuration, not the system's.
debian_source() {
  local name="$1" apt="$cache/apt"
  if [ -d "$cache/src/$name" ]; then return; fi
  mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$cache/src"
  if [ ! -f "$apt/apt.conf" ]; then
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
      > "$apt/sources.list"
    cat > "$apt/apt.conf" <<EOF
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "/nonexistent";
Dir::State::Lists "$apt/lists";
Dir::Cache "$apt";
EOF
  fi
  (
    export APT_CONFIG="$apt/apt.conf"
    cd "$cache/src"
    ls "$apt/lists/"*Sources* >/dev/null 2>&1 || apt-get update -q
    apt-get source -q --download-only "$name"
    rm -rf "$name.tmp"
    dpkg-source -x "$name"_*.dsc "$name.tmp" >/dev/null
    mv "$name.tmp" "$name"
  )
}

write_toolchain() {
  mkdir -p "$cache"
  cat > "$toolchain" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $host-gcc-posix)
set(CMAKE_CXX_COMPILER $host-g++-posix)
set(CMAKE_RC_COMPILER $host-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$host \${PALVORN_MINGW_ROOTS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# The Qt to use: a matching shared build, else the cache's (built if absent).
qt_prefix() {
  local shared="$root/../shared/qt6-mingw"
  if [ "$(cat "$shared/palvorn-qt.stamp" 2>/dev/null)" = "$qt_stamp" ]; then
    (cd "$shared" && pwd)
  else
    echo "$cache/qt6-mingw-$qt_version"
  fi
}

# Debian's cleaned tarball lacks Qt's copy of the tablet headers; Wine's
# LGPL ones serve once two Wine-only naming macros and the original header's
# API are defined.
patch_qt_source() {
  local src="$1" wintab="$1/src/3rdparty/wintab" wine=/usr/include/wine/wine/windows
  mkdir -p "$wintab"
  {
    echo '/* Wine-only macros used below, as Wine defines them for UNICODE builds. */'
    echo '#ifndef WINELIB_NAME_AW'
    echo '# ifdef UNICODE'
    echo '#  define WINELIB_NAME_AW(name) name##W'
    echo '# else'
    echo '#  define WINELIB_NAME_AW(name) name##A'
    echo '# endif'
    echo '#endif'
    echo '#ifndef DECL_WINELIB_TYPE_AW'
    echo '# define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;'
    echo '#endif'
    echo '#ifndef API'
    echo '# define API WINAPI'
    echo '#endif'
    cat "$wine/wintab.h"
  } > "$wintab/wintab.h"
  cp "$wine/pktdef.h" "$wintab/pktdef.h"
  # Qt Gui builds its DirectWrite font database only with Direct2D, which is
  # off; the platform plugin must then not ask for it.
  sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$src/src/plugins/platforms/windows/qwindowsintegration.cpp"
}

build_qt() {
  local prefix; prefix="$(qt_prefix)"
  if [ "$(cat "$prefix/palvorn-qt.stamp" 2>/dev/null)" = "$qt_stamp" ]; then
    log "Qt for MinGW: reusing $prefix"
    return
  fi
  debian_source qt6-base
  write_toolchain
  local src="$cache/src/qt6-base" bld="$cache/qt6-mingw-build"
  patch_qt_source "$src"
  log "Qt for MinGW: configuring into $prefix"
  local start=$SECONDS
  cmake -S "$src" -B "$bld" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${qt_options[@]}"
  log "Qt for MinGW: building (about an hour of CPU)"
  cmake --build "$bld" -j "$jobs"
  cmake --install "$bld" >/dev/null
  echo "$qt_stamp" > "$prefix/palvorn-qt.stamp"
  log "Qt for MinGW: done in $((SECONDS - start)) s"
}

# Runs a dependency's build once: "$1" names it, the rest is the command.
# A stamp in $deps marks it done.
once() {
  local name="$1"; shift
  if [ -f "$deps/.$name.done" ]; then return; fi
  debian_source "$name"
  log "cross-building $name"
  local start=$SECONDS
  (cd "$cache/src/$name" && "$@")
  touch "$deps/.$name.done"
  log "$name done in $((SECONDS - start)) s"
}

cmake_dep() {
  local bld="$cache/build/$(basename "$PWD")"
  cmake -S . -B "$bld" -G Ninja -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DPALVORN_MINGW_ROOTS="$deps" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" \
    -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$bld" -j "$jobs" >/dev/null
  cmake --install "$bld" >/dev/null
}

# zlib's own build makes a DLL first; the dozen sources make the static one.
zlib_build() {
  local obj="$cache/build/zlib" f
  mkdir -p "$obj" "$deps/lib" "$deps/include"
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    $host-gcc-posix -O2 -c "$f.c" -o "$obj/$f.o"
  done
  rm -f "$deps/lib/libz.a"
  $host-ar rcs "$deps/lib/libz.a" "$obj"/*.o
  cp zlib.h zconf.h "$deps/include/"
  pc zlib 1.2.13 "" "-lz"
}

giflib_build() {
  make -s clean >/dev/null 2>&1 || true
  make -s libgif.a CC=$host-gcc-posix AR=$host-ar >/dev/null
  mkdir -p "$deps/lib" "$deps/include"
  cp libgif.a "$deps/lib/" && cp gif_lib.h "$deps/include/"
}

spng_build() {
  # Its CMake file needs the shared library to configure the static one.
  cmake_dep -DSPNG_SHARED=ON -DSPNG_STATIC=ON -DBUILD_EXAMPLES=OFF
  # Its static library's header wants SPNG_STATIC, or it imports from a DLL.
  pc spng 0.7.3 "-DSPNG_STATIC" "-lspng_static -lz"
}

jpeg_build() {
  cmake_dep -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=ON -DCMAKE_ASM_NASM_COMPILER=nasm
}

webp_build() {
  local tool
  local off=()
  for tool in ANIM_UTILS CWEBP DWEBP GIF2WEBP IMG2WEBP VWEBP WEBPINFO WEBPMUX EXTRAS; do
    off+=("-DWEBP_BUILD_$tool=OFF")
  done
  cmake_dep "${off[@]}"
}

# pasmo.exe, static so it needs no MinGW DLL beside it.
pasmo_build() {
  local bld="$cache/build/pasmo"
  rm -rf "$bld" && mkdir -p "$bld"
  (cd "$bld" && "$cache/src/pasmo/configure" -q --host=$host CXX=$host-g++-posix CC=$host-gcc-posix \
     LDFLAGS="-static -s" >/dev/null && make -s -j "$jobs" >/dev/null)
  cp "$bld/pasmo.exe" "$deps/bin/pasmo.exe"
}

# pc NAME VERSION CFLAGS LIBS: a pkg-config file for a static library in $deps.
pc() {
  mkdir -p "$deps/lib/pkgconfig"
  cat > "$deps/lib/pkgconfig/$1.pc" <<EOF
Name: $1
Description: $1, static, for $host
Version: $2
Cflags: -I$deps/include $3
Libs: -L$deps/lib $4
EOF
}

build_deps() {
  write_toolchain
  mkdir -p "$deps/bin"
  once zlib zlib_build
  once giflib giflib_build
  once libspng spng_build
  once libjpeg-turbo jpeg_build
  once libwebp webp_build
  once pasmo pasmo_build
}

program_build_dir="$out/build"

# The program and palvorn-8xp, against the MinGW Qt and the static libraries.
# Sending to a calculator needs a library with glib, which MinGW lacks.
build_program() {
  local qt; qt="$(qt_prefix)"
  write_toolchain
  log "cross-building the program against $qt"
  PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" PKG_CONFIG_PATH="" \
  cmake -S "$root" -B "$program_build_dir" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DPALVORN_MINGW_ROOTS="$qt;$deps" \
    -DCMAKE_PREFIX_PATH="$qt;$deps" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DPALVORN_LINK=OFF >/dev/null
  PKG_CONFIG_LIBDIR="$deps/lib/pkgconfig" PKG_CONFIG_PATH="" \
    cmake --build "$program_build_dir" -j "$jobs" --target program
}

version() {
  sed -n 's/^project(palvorn-enemy-creator VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt"
}

# The DLLs a PE file imports, one a line.
imports() {
  $host-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'
}

make_zip() {
  local qt; qt="$(qt_prefix)"
  local bin="$program_build_dir/bin" name
  name="palvorn-enemy-creator-$(version)-windows-x64"
  local stage="$out/$name" zipfile="$out/$name.zip"
  log "making $zipfile"
  rm -rf "$stage" "$zipfile"
  mkdir -p "$stage"
  # The program's DLLs and, per Qt module it uses, the plugins that module
  # loads: the platform plugin for Gui, the native style for Widgets.
  cp "$bin/palvorn-enemy-creator.exe" "$stage/"
  local plugins=()
  imports "$stage/palvorn-enemy-creator.exe" | grep -qx Qt6Gui.dll && plugins+=(platforms/qwindows.dll)
  imports "$stage/palvorn-enemy-creator.exe" | grep -qx Qt6Widgets.dll && plugins+=(styles/qwindowsvistastyle.dll)
  copy_deps_of "$stage" "$bin" palvorn-enemy-creator.exe
  local p
  for p in "${plugins[@]}"; do
    mkdir -p "$stage/$(dirname "$p")"
    cp "$qt/plugins/$p" "$stage/$p"
    copy_deps_of "$stage" "$qt/plugins" "$p"
  done
  cp "$bin/asm.bat" "$bin/palvorn-8xp.exe" "$stage/"
  cp "$deps/bin/pasmo.exe" "$stage/"
  $host-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
  # Text for Windows: CRLF line ends.
  sed 's/$/\r/' "$here/README-windows.txt" > "$stage/README.txt"
  mkdir -p "$stage/licenses"
  sed 's/$/\r/' "$cache/src/qt6-base/LICENSES/LGPL-3.0-only.txt" > "$stage/licenses/Qt-LGPL-3.0.txt"
  sed 's/$/\r/' "$cache/src/qt6-base/LICENSES/GPL-3.0-only.txt" > "$stage/licenses/GPL-3.0.txt"
  sed 's/$/\r/' "$cache/src/pasmo/COPYING" > "$stage/licenses/pasmo-GPL.txt"
  (cd "$out" && zip -q -X -r "$zipfile" "$name")
  log "$(du -k "$zipfile" | cut -f1) KiB: $zipfile"
}

# Copies into $1 the DLLs that $3 (in $1 already, found in $2) imports from
# the Qt or MinGW runtime folders, and theirs in turn; system DLLs are
# Windows' own.
copy_deps_of() {
  local dest="$1" f="$3"
  local qt; qt="$(qt_prefix)"
  local search=("$qt/bin" /usr/lib/gcc/$host/12-posix /usr/$host/lib) dll dir
  while read -r dll; do
    [ -f "$dest/$dll" ] && continue
    for dir in "${search[@]}"; do
      if [ -f "$dir/$dll" ]; then
        cp "$dir/$dll" "$dest/$dll"
        copy_deps_of "$dest" "$dir" "$dll"
        break
      fi
    done
  done < <(imports "$dest/$f")
}

main() {
  local steps=("$@")
  ((${#steps[@]})) || steps=(qt deps program zip)
  install_packages
  local s
  for s in "${steps[@]}"; do
    case "$s" in
      qt) build_qt ;;
      deps) build_deps ;;
      program) build_program ;;
      zip) make_zip ;;
      *) echo "unknown step: $s" >&2; exit 2 ;;
    esac
  done
}

main "$@"
