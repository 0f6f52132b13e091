#!/usr/bin/env bash
# Every test: the unit and tool tests, the Debian package's checks, the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer, and
# bounded libFuzzer runs of the metafile loader, the sound sources and the Xbox ADPCM driver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

echo "== build and test =="
bash scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"

echo "== Windows: cross build (Qt for Windows from the cache, built once when missing), its tests under Wine, and the same output as the Linux build =="
bash scripts/build-windows.sh build-windows
ctest --test-dir build-windows --output-on-failure -j "$(nproc)"
bash scripts/compare-windows.sh
scripts/wine-run.sh --stop

echo "== Windows packages: the installer and the zip, checked under Wine =="
# Now and then, with the machine busy, the Wine server of a new prefix drops a program it is
# running ("wine client error:0: recvmsg: Connection reset by peer"). That failure, and only
# that one, gets up to two more runs, each in a new prefix.
for attempt in 1 2 3; do
  pkglog=$(mktemp)
  checked=0
  bash scripts/check-windows-package.sh >"$pkglog" 2>&1 || checked=$?
  cat "$pkglog"
  dropped=$(grep -c '^wine client error' "$pkglog" || true)
  rm -f "$pkglog"
  [ "$checked" != 0 ] || break
  [ "$dropped" != 0 ] && [ "$attempt" != 3 ] || exit 1
  echo "== Windows packages: the Wine server dropped a program; once more, in a new prefix =="
done

echo "== the Debian package: lintian, desktop entry, AppStream, files, man pages, installed programs =="
bash scripts/check-package.sh build

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer =="
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTOR_SANITIZE=address,undefined \
  -DVANTOR_BUILD_GUI=OFF -DVANTOR_BUILD_BENCH=OFF
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -L unit -j "$(nproc)"

echo "== threaded tests under ThreadSanitizer =="
bash scripts/build.sh build-tsan -DCMAKE_BUILD_TYPE=Debug -DVANTOR_SANITIZE=thread \
  -DVANTOR_BUILD_GUI=OFF -DVANTOR_BUILD_BENCH=OFF "-DVANTOR_TEST_DIRS=platform;playback;views"
TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan-suppressions.txt" ctest --test-dir build-tsan --output-on-failure -L threads -j "$(nproc)"

if [ -x scripts/fuzz.sh ] || [ -f scripts/fuzz.sh ]; then
  echo "== fuzzing the metafile loader =="
  bash scripts/fuzz.sh "${VANTOR_FUZZ_SECONDS:-60}"
fi

if [ -f scripts/fuzz-sound.sh ]; then
  echo "== fuzzing the sound sources and the Xbox ADPCM driver =="
  bash scripts/fuzz-sound.sh "${VANTOR_SOUND_FUZZ_SECONDS:-30}"
fi
