#!/usr/bin/env bash
# Cross-builds the command-line programs and their tests for 64-bit Windows into build-windows/
# (or $1), with the programs and every DLL they need in build-windows/dist/. Installs the
# missing Debian packages, builds libogg and libvorbis from Debian's source packages and
# GoogleTest from /usr/src/googletest into build-windows/deps once, and reuses them after.
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
  wine wine64 dpkg-dev cmake ninja-build pkg-config googletest libcli11-dev nlohmann-json3-dev make)
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

if [ ! -f "$out/build.ninja" ]; then
  cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DVANTOR_WIN_PREFIX="$deps" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_BUILD_GUI=OFF \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$root/scripts/wine-run.sh" >/dev/null
fi
cmake --build "$out" -j "$jobs"

# The programs with the DLLs they load: the MinGW runtime and the Ogg Vorbis libraries.
dist=$out/dist
mkdir -p "$dist"
gccdir=$(dirname "$($host-g++-posix -print-libgcc-file-name)")
cp -u "$out/vantor.exe" "$out/vantor-mkset.exe" "$dist/"
cp -u /usr/$host/lib/libwinpthread-1.dll "$gccdir/libstdc++-6.dll" "$gccdir/libgcc_s_seh-1.dll" "$dist/"
cp -u "$deps"/bin/libogg-0.dll "$deps"/bin/libvorbis-0.dll "$deps"/bin/libvorbisfile-3.dll "$deps"/bin/libvorbisenc-2.dll \
  "$dist/"
echo "build-windows: $dist ready"
