#!/usr/bin/env bash
# Cross-builds the programs (vantor.exe, vantor-mkset.exe, the desktop program quarn-vantor.exe)
# and their tests for 64-bit Windows into build-windows/ (or $1), with the programs and every DLL
# they load in build-windows/dist/. Installs the missing Debian packages, builds libogg and
# libvorbis from Debian's source packages and GoogleTest from /usr/src/googletest into
# build-windows/deps once, and reuses them after; Qt comes from scripts/build-qt-windows.sh (a
# cache of the machine's, built when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-build-windows}
mkdir -p "$out"
out=$(cd "$out" && pwd)
deps=$out/deps
host=x86_64-w64-mingw32
toolchain=$root/cmake/mingw-w64-x86_64.cmake
jobs=$(nproc)

packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 dpkg-dev cmake ninja-build pkg-config googletest libcli11-dev nlohmann-json3-dev make imagemagick
  fonts-wine)  # Tahoma and the other fonts Wine gives Windows programs
source "$root/scripts/debian-packages.sh"
install_missing "${packages[@]}"

build_autotools() {  # source folder, extra configure arguments...
  local dir=$1
  shift
  (cd "$dir" && ./configure -q --host=$host --prefix="$deps" --enable-shared --enable-static "$@" >/dev/null &&
    make -s -j"$jobs" >/dev/null && make -s install >/dev/null)
}

if [ ! -f "$deps/.vorbis-done" ]; then
  echo "build-windows: building libogg and libvorbis"
  rm -rf "$out/src" && fetch_sources "$out/apt" "$out/src" libogg libvorbis
  export CC=$host-gcc-posix
  build_autotools "$(ls -d "$out"/src/libogg-*/ | head -n1)"
  PKG_CONFIG_LIBDIR=$deps/lib/pkgconfig build_autotools "$(ls -d "$out"/src/libvorbis-*/ | head -n1)" \
    --with-ogg="$deps" --disable-docs --disable-examples --disable-oggtest
  unset CC
  touch "$deps/.vorbis-done"
fi

if [ ! -f "$deps/.gtest-done" ]; then
  echo "build-windows: building GoogleTest"
  cmake -S /usr/src/googletest -B "$out/gtest-build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVANTOR_WIN_PREFIX="$deps" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -Dgtest_disable_pthreads=OFF \
    >/dev/null
  cmake --build "$out/gtest-build" -j "$jobs" >/dev/null
  cmake --install "$out/gtest-build" >/dev/null
  touch "$deps/.gtest-done"
fi

# The header-only libraries: Debian's headers and package files, without the rest of /usr/include.
mkdir -p "$deps/include" "$deps/share/cmake"
ln -sfn /usr/include/CLI "$deps/include/CLI"
ln -sfn /usr/include/nlohmann "$deps/include/nlohmann"
for pkg in CLI11 nlohmann_json; do
  rm -rf "$deps/share/cmake/$pkg" && cp -r "/usr/share/cmake/$pkg" "$deps/share/cmake/$pkg"
done

# Qt for Windows, and Debian's moc, rcc and uic for the build.
bash "$root/scripts/build-qt-windows.sh" | tee "$out/qt-prefix.txt"
qt=$(tail -n1 "$out/qt-prefix.txt")
[ -f "$qt/.done" ] || { echo "build-windows: no Qt for Windows" >&2; exit 1; }
ln -sfn "$qt" "$deps/qt"

if [ ! -f "$out/build.ninja" ] || ! grep -qx "VANTOR_WIN_QT:PATH=$qt" "$out/CMakeCache.txt"; then
  cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVANTOR_WIN_PREFIX="$deps" \
    -DVANTOR_WIN_QT:PATH="$qt" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_BUILD_GUI=ON -DVANTOR_BUILD_BENCH=ON \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
fi
cmake --build "$out" -j "$jobs"

# The programs with the DLLs they load: the MinGW runtime, the Ogg Vorbis libraries, Qt's
# libraries and the two plugins the window needs. Debug information is stripped (Qt's DLLs
# stay Qt's own, unmodified otherwise and replaceable by any Qt 6.4 build for MinGW 64-bit).
dist=$out/dist
mkdir -p "$dist/platforms" "$dist/styles" "$dist/licenses"
gccdir=$(dirname "$($host-g++-posix -print-libgcc-file-name)")
put() {  # DEST_FOLDER FILE...: copies what changed and strips it
  local to=$1 f
  shift
  for f in "$@"; do
    if [ ! -f "$to/$(basename "$f")" ] || [ "$f" -nt "$to/$(basename "$f")" ]; then
      cp "$f" "$to/" && $host-strip --strip-unneeded "$to/$(basename "$f")"
    fi
  done
}
put "$dist" "$out/vantor.exe" "$out/vantor-mkset.exe" "$out/quarn-vantor.exe" \
  /usr/$host/lib/libwinpthread-1.dll "$gccdir/libstdc++-6.dll" "$gccdir/libgcc_s_seh-1.dll" \
  "$deps"/bin/libogg-0.dll "$deps"/bin/libvorbis-0.dll "$deps"/bin/libvorbisfile-3.dll "$deps"/bin/libvorbisenc-2.dll \
  "$qt"/bin/Qt6Core.dll "$qt"/bin/Qt6Gui.dll "$qt"/bin/Qt6Widgets.dll
put "$dist/platforms" "$qt/plugins/platforms/qwindows.dll"
put "$dist/styles" "$qt/plugins/styles/qwindowsvistastyle.dll"
# The licences: ours, Qt's (LGPL-3 over GPL-3; Debian's record of qt6-base and the code it
# bundles), the Ogg Vorbis libraries' and the MinGW runtime's.
sed 's/$/\r/' LICENSE >"$dist/LICENSE.txt"
sed 's/$/\r/' packaging/windows/README.txt >"$dist/README.txt"
cp /usr/share/common-licenses/LGPL-3 "$dist/licenses/Qt-LGPL-3.txt"
cp /usr/share/common-licenses/GPL-3 "$dist/licenses/Qt-GPL-3.txt"
cp /usr/share/doc/libqt6core6/copyright "$dist/licenses/Qt-copyright.txt"
cp /usr/share/doc/libogg0/copyright "$dist/licenses/libogg-copyright.txt"
cp /usr/share/doc/libvorbis0a/copyright "$dist/licenses/libvorbis-copyright.txt"
cp /usr/share/doc/gcc-mingw-w64-base/copyright "$dist/licenses/gcc-runtime-copyright.txt"
cp /usr/share/doc/mingw-w64-common/copyright "$dist/licenses/mingw-w64-copyright.txt"
echo "build-windows: $dist ready"
