#!/usr/bin/env bash
# Extraction speed, page cache warm, the contenders taken alternately in one run (REPS each;
# median and ratio):
#   - on the demo set (`vantor-mkset --demo`): `vantor extract` of every row, decoded;
#   - on `vantor-mkset --bench N --audio` (PCM, Xbox ADPCM and Ogg Vorbis sounds, rows sharing
#     data, so later rows overwrite files of earlier ones): `vantor extract --raw` of every row
#     against `cp` of one file of as many bytes as the extraction writes;
#   - on a set of MIB MiB of Xbox ADPCM sounds (extract_bench_set): `vantor extract --raw`
#     against `cp -r` of the same files (the same number of files and bytes), and `vantor
#     extract` (decoding to PCM WAVE files) against FFmpeg (-threads 1) decoding the same
#     stored blocks, gathered into one WAVE file per format, to WAVE files.
#   With BEFORE=<build dir of an earlier commit>, that build's `vantor` is timed on the same
#   extractions, taken in turn with this one, and the after/before ratios are printed.
# Usage: [BEFORE=DIR] bench/extract-bench.sh [N (default 1000)] [MIB (default 256)] [REPS (default 5)]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-1000}
mib=${2:-256}
reps=${3:-5}
build=build-export-bench

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_GUI=OFF -DVANTOR_BUILD_TESTS=OFF
fi
cmake --build "$build" -j 2 --target vantor vantor-mkset extract_bench_set > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/set" "$work/peer"
"$build/vantor-mkset" --bench "$n" --audio "$work/mk"
"$build/vantor-mkset" --demo "$work/demo" > /dev/null
"$build/extract_bench_set" "$work/set" "$work/peer" "$mib"
set_dir="$work/set/"
stored=$(du -cb "$work"/peer/*.wav | tail -1 | cut -f1)
echo "set: $(cat "$set_dir"*.csc | wc -c) bytes in 6 metafiles; ADPCM blocks for FFmpeg: $stored bytes in" \
  "$(ls "$work/peer" | wc -l) files"

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
elapsed_us() {  # runs the command after writing back what earlier runs left, prints its wall time in microseconds
  sync
  local t0=$EPOCHREALTIME
  "$@" > /dev/null || true  # the audio set has rows that fail by design (missing, "none")
  local t1=$EPOCHREALTIME
  echo $(( (${t1/./} - ${t0/./}) ))
}
ffmpeg_all() {
  for f in "$work"/peer/*.wav; do
    ffmpeg -nostdin -v error -threads 1 -y -i "$f" -f wav "$work/ff/$(basename "$f")"
  done
}

# Warm the page cache and the binaries; keep one raw extraction as the files for cp.
cat "$set_dir"*.csc "$work"/peer/*.wav > /dev/null
"$build/vantor" extract "$set_dir" --raw --out "$work/ref" > /dev/null
rows=$(ls "$work/ref" | wc -l)
bytes=$(du -cb "$work/ref" | tail -1 | cut -f1)
echo "rows: $rows, raw bytes: $bytes"

# The bytes a raw extraction of the audio set writes: every row with data and a name.
mk_bytes=$("$build/vantor" list "$work/mk" --json | python3 -c '
import json, sys
print(sum(r["oggSize"] or r["wavSize"] for r in json.load(sys.stdin)
          if not r["missing"] and r["name"] and r["name"].lower() != "none"))')
cat "$work/mk/"*.csc > /dev/null
echo "vantor-mkset --bench $n --audio: $(cat "$work/mk/"*.csc | wc -c) bytes in 6 metafiles," \
  "$("$build/vantor" extract "$work/mk" --raw --out "$work/mkref" 2> "$work/mk.failed")"
: > "$work/mk.bytes"
while [ "$(stat -c %s "$work/mk.bytes")" -lt "$mk_bytes" ]; do cat "$work"/mkref/* >> "$work/mk.bytes"; done
truncate -s "$mk_bytes" "$work/mk.bytes"
echo "  bytes written by the raw extraction: $mk_bytes"

before=${BEFORE:-}
for name in demo mkraw mkdec mkcp raw cp dec ff bdemo bmkraw bmkdec braw bdec; do : > "$work/$name.us"; done
for ((i = 0; i < reps; ++i)); do
  rm -rf "$work/mkraw" "$work/mkdec" "$work/mk.copy" "$work/demox"
  elapsed_us "$build/vantor" extract "$work/demo" --out "$work/demox" >> "$work/demo.us"
  elapsed_us "$build/vantor" extract "$work/mk" --out "$work/mkdec" >> "$work/mkdec.us"
  elapsed_us "$build/vantor" extract "$work/mk" --raw --out "$work/mkraw" >> "$work/mkraw.us"
  elapsed_us cp "$work/mk.bytes" "$work/mk.copy" >> "$work/mkcp.us"
  rm -rf "$work/mkraw" "$work/mk.copy" "$work/raw" "$work/cp" "$work/dec" "$work/ff"; mkdir -p "$work/ff"; sync
  elapsed_us "$build/vantor" extract "$set_dir" --raw --out "$work/raw" >> "$work/raw.us"
  elapsed_us cp -r "$work/ref" "$work/cp" >> "$work/cp.us"
  elapsed_us "$build/vantor" extract "$set_dir" --out "$work/dec" >> "$work/dec.us"
  elapsed_us ffmpeg_all >> "$work/ff.us"
  if [ -n "$before" ]; then
    rm -rf "$work/b"; mkdir -p "$work/b"; sync
    elapsed_us "$before/vantor" extract "$work/demo" --out "$work/b/demox" >> "$work/bdemo.us"
    elapsed_us "$before/vantor" extract "$work/mk" --out "$work/b/mkdec" >> "$work/bmkdec.us"
    elapsed_us "$before/vantor" extract "$work/mk" --raw --out "$work/b/mkraw" >> "$work/bmkraw.us"
    elapsed_us "$before/vantor" extract "$set_dir" --raw --out "$work/b/raw" >> "$work/braw.us"
    elapsed_us "$before/vantor" extract "$set_dir" --out "$work/b/dec" >> "$work/bdec.us"
  fi
done
cmp -s <(cd "$work/raw" && cat $(ls)) <(cd "$work/ref" && cat $(ls)) || { echo "raw extraction differs"; exit 1; }

report() {  # label, us file, reference label, reference us file, goal
  local a b
  a=$(median < "$work/$2.us")
  b=$(median < "$work/$4.us")
  echo "$1 ${a} us, $3 ${b} us, ratio $(awk -v a="$a" -v b="$b" 'BEGIN {printf "%.2f", a / b}') ($5)"
}
echo "time ($reps runs each, median):"
report "  audio set: vantor extract --raw" mkraw "cp of as many bytes" mkcp "goal <= 1.5"
report "  ADPCM set: vantor extract --raw" raw "cp -r" cp "goal <= 1.5"
report "  ADPCM set: vantor extract" dec "ffmpeg -threads 1" ff "goal <= 1.0"
if [ -n "$before" ]; then
  report "  demo set: vantor extract" demo "before" bdemo "this build against $before"
  report "  audio set: vantor extract" mkdec "before" bmkdec "this build against $before"
  report "  audio set: vantor extract --raw" mkraw "before" bmkraw "this build against $before"
  report "  ADPCM set: vantor extract --raw" raw "before" braw "this build against $before"
  report "  ADPCM set: vantor extract" dec "before" bdec "this build against $before"
fi
echo "  decoded: $(du -cb "$work/dec" | tail -1 | cut -f1) bytes by vantor, $(du -cb "$work/ff" | tail -1 | cut -f1)" \
  "bytes by FFmpeg (65 samples per block)"
