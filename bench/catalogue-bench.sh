#!/usr/bin/env bash
# The catalogue's speed and memory on a large generated set:
#   - `vantor info` against `cat` of the same metafiles to /dev/null, page cache warm, taken
#     alternately in one run (REPS each; median and ratio);
#   - the memory a load allocates (RssAnon of a process that has just loaded the set; the
#     metafiles' bytes are mapped, page cache, and reported apart) against the on-disk bytes of
#     the tables and the sound information records it reads, and the load's minor page faults;
#     peak resident memory and minor faults of the whole `vantor info`;
#   - rebuild and sort of the main model for every sort kind and direction, as a later click and
#     as the first click of the kind (Google Benchmark), each against a natural-order rebuild
#     measured with it: the worst and the median.
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

VANTOR_BENCH_N=$n "$build/catalogue_bench" | tee "$work/sort.txt"
# Each sort against the natural-order rebuild paired with it (the median of the pairs' ratios), in
# wall time: the worst and the median of the later clicks and of the first clicks.
awk '$1 ~ /^RebuildSort/ {
       split($1, name, "/")
       if (name[1] == "RebuildSort" && name[2] == 0 && name[3] == "asc") natural = $2
       ratio = ""
       for (i = 1; i <= NF; ++i) if ($i ~ /^ratio=/) ratio = substr($i, 7) + 0
       if (ratio == "") next
       which = name[1] == "RebuildSortFirst" ? "first" : "later"
       ratios[which] = ratios[which] " " ratio; ++count[which]
       if (ratio > worst[which]) { worst[which] = ratio; at[which] = name[2] "/" name[3] }
     }
     function median(list,   v, n, i, j, t) {
       n = split(list, v, " ")
       for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (v[j] + 0 < v[i] + 0) { t = v[i]; v[i] = v[j]; v[j] = t }
       return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
     }
     END {
       printf "sort: natural rebuild %.1f ms; against the natural rebuild paired with each (goal <= 2, at most 3):\n", natural
       for (w = 0; w < 2; ++w) {
         which = w ? "first" : "later"
         printf "  %s clicks (%d): worst %.2fx (%s), median %.2fx\n", which, count[which], worst[which], at[which],
                median(ratios[which])
       }
     }' "$work/sort.txt"
