#!/usr/bin/env bash
# The desktop program on a large generated set, against `vantor info` on the same set in the
# same run: start-up to the main window's first paint (median of REPS runs), peak memory, the
# re-sort and repaint of every header click, and scrolling the whole list page by page.
# Usage: bench/gui-bench.sh [N (default 65535)] [REPS (default 7)]
set -euo pipefail
cd "$(dirname "$0")/.."
n=${1:-65535}
reps=${2:-7}
build=build-bench-gui

if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOR_BUILD_TESTS=OFF
fi
cmake --build "$build" -j "$(nproc)" --target vantor vantor-mkset gui_bench

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
set_dir="$work/set/"
"$build/vantor-mkset" --bench "$n" "$set_dir"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} XDG_CONFIG_HOME="$work/config"
for _ in 1 2; do "$build/vantor" info "$set_dir" > /dev/null; "$build/bench/gui/gui_bench" "$set_dir" 0 > /dev/null 2>&1; done

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
: > "$work/info.ms"
: > "$work/gui.ms"
for ((i = 0; i < reps; ++i)); do
  t0=$EPOCHREALTIME
  "$build/vantor" info "$set_dir" > /dev/null
  t1=$EPOCHREALTIME
  echo "$(( (${t1/./} - ${t0/./}) ))" | awk '{print $1 / 1000}' >> "$work/info.ms"
  "$build/bench/gui/gui_bench" "$set_dir" 0 2>/dev/null | awk -F': ' '/^start to first paint/ {print $2 + 0}' >> "$work/gui.ms"
done
info_ms=$(median < "$work/info.ms")
gui_ms=$(median < "$work/gui.ms")
echo "set: --bench $n ($reps runs each, median)"
echo "start to first paint of quarn-vantor's main window ${gui_ms} ms; vantor info ${info_ms} ms;" \
  "ratio $(awk -v a="$gui_ms" -v b="$info_ms" 'BEGIN {printf "%.2f", a / b}')"
info_kb=$(/usr/bin/time -f %M "$build/vantor" info "$set_dir" 2>&1 > /dev/null | tail -1)
gui_kb=$(/usr/bin/time -f %M "$build/bench/gui/gui_bench" "$set_dir" 2>&1 > /dev/null | tail -1)
echo "peak RSS: quarn-vantor (to the end of the scroll) ${gui_kb} KiB; vantor info ${info_kb} KiB;" \
  "ratio $(awk -v a="$gui_kb" -v b="$info_kb" 'BEGIN {printf "%.2f", a / b}')"
"$build/bench/gui/gui_bench" "$set_dir" 0 2>/dev/null | grep "at the first paint" | sed 's/^/quarn-vantor /'
echo "== header clicks and scrolling (one run) =="
"$build/bench/gui/gui_bench" "$set_dir" 2>/dev/null | grep -v "first paint"
