#!/usr/bin/env bash
# Builds the sound fuzz targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer and
# fuzzes each for SECONDS (default 30): vantor-sound-fuzzer (the WAVE and Ogg Vorbis sources,
# their chains to the playback ring and to other formats, the export writer) and
# vantor-adpcm-driver-fuzzer (the Xbox ADPCM driver's stream size and convert). Seeds: the demo
# set's stored sounds and the kept inputs of tests/fuzz/corpus. Fails on any crash, failed check,
# leak, timeout or memory blow-up; the reproducer lands in build-fuzz/artifacts/. Add it to
# tests/fuzz/corpus/ once fixed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
dir=build-fuzz

if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_FUZZ=ON \
    -DVANTOR_BUILD_GUI=OFF -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_BENCH=OFF
fi
cmake --build "$dir" -j "$(nproc)" --target vantor-sound-fuzzer vantor-adpcm-driver-fuzzer vantor-mkset vantor

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/tmp" "$dir/corpus-sound" "$dir/corpus-adpcm" "$dir/artifacts"
max_len=16384

# The demo set's stored sounds, each behind the input's 3-byte head: kind and target flags
# (bit 0 Ogg Vorbis; the others vary from seed to seed), then how many of the last bytes are
# the next sound's, here the start of the following seed on every third one.
export ASAN_OPTIONS=detect_leaks=0
"$dir/vantor-mkset" --demo "$work/demo" > /dev/null
# Some rows of the demo set fail on purpose (status 1); the stored sounds are all written.
"$dir/vantor" extract "$work/demo" --raw --out "$work/raw" > /dev/null || [ $? = 1 ]
unset ASAN_OPTIONS
files=("$work"/raw/*)
for i in "${!files[@]}"; do
  f=${files[$i]}
  flags=$(( (i % 8) * 2 ))
  case "$f" in *.ogg) flags=$((flags | 1)) ;; esac
  tail=0
  next=${files[$(( (i + 1) % ${#files[@]} ))]}
  if [ $((i % 3)) = 0 ]; then tail=2048; fi
  {
    printf "\\x$(printf %02x $flags)\\x$(printf %02x $((tail & 255)))\\x$(printf %02x $((tail >> 8)))"
    head -c $((max_len - 3 - tail)) "$f"
    if [ "$tail" != 0 ]; then head -c "$tail" "$next"; fi
  } > "$work/seeds/$(basename "$f")"
done

common=(-max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=10 -print_final_stats=1
        -artifact_prefix="$dir/artifacts/")
echo "== vantor-sound-fuzzer =="
TMPDIR="$work/tmp" "$dir/vantor-sound-fuzzer" "$dir/corpus-sound" "$work/seeds" tests/fuzz/corpus/sound \
  -dict=tests/fuzz/sound.dict -max_len=$max_len "${common[@]}"
echo "== vantor-adpcm-driver-fuzzer =="
"$dir/vantor-adpcm-driver-fuzzer" "$dir/corpus-adpcm" tests/fuzz/corpus/adpcm -max_len=8192 "${common[@]}"
