#!/usr/bin/env bash
# Cross-builds Qt for 64-bit Windows (Core, Gui, Widgets, Test; the windows and offscreen platform
# plugins and the Windows styles) from Debian's qt6-base source package with the MinGW toolchain and
# Debian's host Qt tools. Built once per machine into a cache folder keyed by version and flags,
# reused while present. Prints the prefix on the last line of its output.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source "$root/scripts/debian-packages.sh"
install_missing g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
  binutils-mingw-w64-x86-64 dpkg-dev cmake ninja-build qt6-base-dev qt6-base-dev-tools

version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/[+~-].*//')
flags=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_zstd=OFF -DFEATURE_jpeg=OFF
  -DFEATURE_gif=OFF -DFEATURE_fontconfig=OFF -DFEATURE_system_freetype=OFF -DFEATURE_system_zlib=OFF
  -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF
  # The offscreen plugin (tests) needs FreeType: the bundled one.
  # Debian's tarball leaves out src/3rdparty/wintab; Direct2D off needs DirectWrite 3 off.
  -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF -DFEATURE_directwrite3=OFF
  # Without OpenGL the windows plugin still takes the dynamic-GL path unless it is off too.
  -DFEATURE_dynamicgl=OFF
)
key=$(printf '%s\n' "$version" "${flags[@]}" | sha1sum | cut -c1-10)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quarn-vantor
prefix=$cache/qt-$version-mingw64-$key
# One build at a time: a second caller waits for the first one's prefix.
mkdir -p "$cache"
exec 9>"$cache/.qt-$key.lock"
flock 9
if [ -f "$prefix/.done" ]; then
  echo "build-qt-windows: Qt $version for Windows present"
  echo "$prefix"
  exit 0
fi

work=$cache/qt-build-$key
echo "build-qt-windows: building Qt $version for Windows into $prefix (the first build takes 15 to 55 minutes on 2 cores)"
start=$(date +%s)
rm -rf "$work" "$prefix"
mkdir -p "$work"
fetch_sources "$work/apt" "$work/src" qt6-base
src=$(ls -d "$work"/src/qt6-base-*/ | head -n1)
cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DCMAKE_INSTALL_PREFIX="$prefix" \
  "${flags[@]}" >"$work/configure.log" 2>&1 || { tail -n 40 "$work/configure.log"; exit 1; }
cmake --build "$work/build" -j "$(nproc)" >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log"; exit 1; }
cmake --install "$work/build" >/dev/null
touch "$prefix/.done"
rm -rf "$work"
echo "build-qt-windows: built in $(( ($(date +%s) - start) / 60 )) min, $(du -sh "$prefix" | cut -f1) installed"
echo "$prefix"
