#!/usr/bin/env bash
# The catalogue's speed and memory on a large generated set:
#   - `vantor info` against `cat` of the same metafiles to /dev/null, page cache warm, taken
#     alternately in one run (REPS each; median and ratio);
#   - the memory a load allocates (RssAnon of a process that has just loaded the set; the
#     metafiles' bytes are mapped, page cache, and reported apart) against the on-disk bytes of
#     the tables and the sound information records it reads, and the load's minor page faults;
#     peak resident memory and minor faults of the whole `vantor info`;
#   - rebuild and sort of the main model for every sort kind and direction, as a later click and
#     as the first click of the kind (Google Benchmark), and the worst of them against the
#     natural-order rebuild.
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
  "ratio $(awk -v a="$info_us" -v b="$cat_us" 'BEGIN {printf "%.2f", a / b}') (at most 4, goal 2)"

read -r rss_kb faults < <(/usr/bin/time -f "%M %R" "$build/vantor" info "$set_dir" 2>&1 > /dev/null | tail -1)
"$build/catalogue_read_bytes" "$set_dir" > "$work/read.txt"
sed 's/^/  load: /' "$work/read.txt"
field() { awk -v k="$1" '$1 == k {print $2}' "$work/read.txt"; }
read_bytes=$(field total)
echo "memory: the load allocates $(field anon_kib_added) KiB (RssAnon after it $(field anon_kib) KiB; mapped file" \
  "pages touched $(field file_kib_added) KiB), bytes of all records read ${read_bytes}, ratio" \
  "$(awk -v r="$(field anon_kib)" -v b="$read_bytes" 'BEGIN {printf "%.2f", r * 1024 / b}') (at most 0.5);" \
  "minor faults of the load $(field minor_faults)"
echo "vantor info: peak RSS ${rss_kb} KiB (mapped file pages included), minor faults ${faults}"

VANTOR_BENCH_N=$n "$build/catalogue_bench" --benchmark_counters_tabular=true | tee "$work/sort.txt"
# Each sort against the natural-order rebuild of the same run, in wall time and in CPU time (the
# latter steadier on a shared machine).
awk '$1 ~ /^RebuildSort/ && $3 == "ms" && $5 == "ms" {
       split($1, name, "/"); wall[$1] = $2; cpu[$1] = $4; kind[$1] = name[2]; first[$1] = name[1] == "RebuildSortFirst"
       if (name[1] == "RebuildSort" && name[2] == 0 && name[3] == "asc") { naturalWall = $2; naturalCpu = $4 } }
     END {
       for (b in wall) if (kind[b] > 0) {
         which = first[b] ? "first" : "later"
         if (wall[b] / naturalWall > worstWall[which]) worstWall[which] = wall[b] / naturalWall
         if (cpu[b] / naturalCpu > worstCpu[which]) { worstCpu[which] = cpu[b] / naturalCpu; at[which] = b }
       }
       printf "sort: natural rebuild %.1f ms (CPU %.1f ms); worst later click %.2fx wall, %.2fx CPU (%s);" \
              " worst first click %.2fx wall, %.2fx CPU (%s) (goal <= 2, at most 3)\n", naturalWall, naturalCpu,
              worstWall["later"], worstCpu["later"], at["later"], worstWall["first"], worstCpu["first"], at["first"]
     }' "$work/sort.txt"
