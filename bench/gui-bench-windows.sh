#!/usr/bin/env bash
# The desktop program's start to the main window's first paint on a large generated set:
# quarn-vantor built for Windows under Wine against the Linux build, in the same run, both on
# Qt's offscreen platform (gui_bench, which starts as quarn-vantor does). Two figures, medians of
# REPS runs: from the process's own start, and from the shell's launch of it (under Wine the
# process starts only once Wine has).
# Needs scripts/build.sh build and scripts/build-windows.sh first.
# Usage: bench/gui-bench-windows.sh [N (default 65535)] [REPS (default 5)]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
n=${1:-65535}
reps=${2:-5}
cmake --build build --target gui_bench vantor-mkset >/dev/null
cmake --build build-windows --target gui_bench >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"; "$root/scripts/wine-run.sh" --stop' EXIT
build/vantor-mkset --bench "$n" "$work/set/" >/dev/null
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME="$work/config"

median() { sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2] + v[NR/2+1]) / 2}'; }
# run NAME COMMAND...: one start; appends both figures to NAME.own and NAME.launch
run() {
  local name=$1 t0 out
  shift
  t0=$EPOCHREALTIME
  out=$("$@" "$work/set/" -1 2>/dev/null)
  awk -F': ' '/^start to first paint/ {print $2 + 0}' <<<"$out" >>"$work/$name.own"
  awk -v t0="$t0" '/^first paint at/ {printf "%.1f\n", $4 - t0 * 1000}' <<<"$out" >>"$work/$name.launch"
}
linux() { "$root/build/bench/gui/gui_bench" "$@"; }
windows() { "$root/scripts/wine-run.sh" "$root/build-windows/bench/gui/gui_bench.exe" "$@"; }
run warmup linux
run warmup windows  # Wine's server and the DLLs in the page cache
for ((i = 0; i < reps; ++i)); do
  run linux linux
  run windows windows
done
echo "set: --bench $n ($reps runs each, median, offscreen)"
for name in linux windows; do
  echo "$name: start to first paint $(median <"$work/$name.own") ms from the process's start," \
    "$(median <"$work/$name.launch") ms from the launch"
done
