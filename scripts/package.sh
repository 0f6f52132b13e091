#!/usr/bin/env bash
# Builds the Debian package quarn-vantor_VERSION_ARCH.deb: configures a Release build of the three
# programs and their man pages in BUILD_DIR (default build-package; any configured build folder
# will do, such as build/), builds it and packs it with CPack's DEB generator. The package lands in
# OUT_DIR (default: the top of the source tree). Install it with `apt install ./quarn-vantor_*.deb`.
# Usage: package.sh [BUILD_DIR [OUT_DIR]]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir=${1:-build-package}
out=$(mkdir -p "${2:-.}" && cd "${2:-.}" && pwd)

if [ ! -f "$dir/build.ninja" ]; then
  # Debian's hardening flags (dpkg-buildflags) for the programs of the package.
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  CFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_BENCH=OFF
fi
cmake --build "$dir" -j "$(nproc)"
staging=$(cd "$dir" && pwd)/deb
rm -rf "$staging"
(cd "$dir" && cpack -G DEB -B "$staging" > "$staging.log") || { cat "$dir/deb.log" >&2; exit 1; }
debs=("$staging"/quarn-vantor_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "package.sh: CPack wrote no package" >&2; exit 1; }
cp "${debs[0]}" "$out/"
echo "package: $out/$(basename "${debs[0]}")"
