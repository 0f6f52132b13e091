#!/usr/bin/env bash
# The catalogue's speed and memory on a large generated set:
#   - `vantor info` against `cat` of the same metafiles to /dev/null, page cache warm, taken
#     alternately in one run (REPS each; median and ratio);
#   - peak resident memory of `vantor info` against the on-disk bytes of the tables and the
#     sound information records it reads;
#   - rebuild and sort of the main model for every sort kind (Google Benchmark).
# Usage: bench/catalogue-bench.sh [N (default 65535)] [REPS (default 21)]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-65535}
reps=${2:-21}
build=build-bench

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_GUI=OFF -DVANTOR_BUILD_TESTS=OFF
fi
cmake --build "$build" -j "$(nproc)" --target vantor vantor-mkset catalogue_bench catalogue_read_bytes

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
set_dir="$work/set/"
"$build/vantor-mkset" --bench "$n" "$set_dir"
files=("$set_dir"*.csc)
echo "set: --bench $n, $(cat "${files[@]}" | wc -c) bytes in ${#files[@]} files"

# Warm the page cache and the binaries.
for _ in 1 2 3; do cat "${files[@]}" > /dev/null; "$build/vantor" info "$set_dir" > /dev/null; done

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
elapsed_us() {  # runs the command, prints its wall time in microseconds
  local t0=$EPOCHREALTIME
  "$@" > /dev/null
  local t1=$EPOCHREALTIME
  echo $(( (${t1/./} - ${t0/./}) ))
}
: > "$work/info.us"
: > "$work/cat.us"
for ((i = 0; i < reps; ++i)); do
  elapsed_us "$build/vantor" info "$set_dir" >> "$work/info.us"
  elapsed_us cat "${files[@]}" >> "$work/cat.us"
done
info_us=$(median < "$work/info.us")
cat_us=$(median < "$work/cat.us")
echo "time ($reps runs each, median): vantor info ${info_us} us, cat ${cat_us} us," \
  "ratio $(awk -v a="$info_us" -v b="$cat_us" 'BEGIN {printf "%.2f", a / b}') (goal <= 8, aim 4)"

rss_kb=$(/usr/bin/time -f %M "$build/vantor" info "$set_dir" 2>&1 > /dev/null | tail -1)
read_bytes=$("$build/catalogue_read_bytes" "$set_dir" | awk '$1 == "total" {print $2}')
"$build/catalogue_read_bytes" "$set_dir" | sed 's/^/  read: /'
echo "memory: peak RSS of vantor info ${rss_kb} KiB, bytes of all records read ${read_bytes}," \
  "ratio $(awk -v r="$rss_kb" -v b="$read_bytes" 'BEGIN {printf "%.2f", r * 1024 / b}') (goal <= 2.5)"

VANTOR_BENCH_N=$n "$build/catalogue_bench" --benchmark_counters_tabular=true
