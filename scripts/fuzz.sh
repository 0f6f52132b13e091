#!/usr/bin/env bash
# Builds the metafile loader's libFuzzer target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, seeds it from vantor-mkset sets and fuzzes for SECONDS (default 60).
# Fails on any crash, leak, timeout or memory blow-up; the reproducer lands in build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
dir=build-fuzz

if [ ! -f "$dir/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTOR_FUZZ=ON \
    -DVANTOR_BUILD_GUI=OFF -DVANTOR_BUILD_TESTS=OFF -DVANTOR_BUILD_BENCH=OFF
fi
cmake --build "$dir" -j "$(nproc)" --target vantor-load-fuzzer vantor-mkset

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/tmp" "$dir/corpus" "$dir/artifacts"

# The seed sets; mkset is instrumented too, its leaks are not the fuzzer's business.
export ASAN_OPTIONS=detect_leaks=0
"$dir/vantor-mkset" --sample "$work/sample"
"$dir/vantor-mkset" --bench 20 "$work/bench20"
"$dir/vantor-mkset" --bench 3 --seed 7 "$work/bench3"
for s in sample bench20 bench3; do bash scripts/fuzz-corpus.sh "$work/seeds/$s" "$work/$s"; done
unset ASAN_OPTIONS

# The fuzzer's temporary sets go below $work, which is removed whatever happens.
TMPDIR="$work/tmp" "$dir/vantor-load-fuzzer" "$dir/corpus" "$work/seeds" \
  -dict=tests/fuzz/load.dict -max_len=131072 -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=2048 \
  -timeout=10 -print_final_stats=1 -artifact_prefix="$dir/artifacts/"
