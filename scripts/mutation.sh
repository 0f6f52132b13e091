#!/usr/bin/env bash
# Mutation run: clones COMMIT (default HEAD) into DIR (default /work/mut-<commit>), builds it once,
# then applies each mutant of scripts/mutants.tsv there, rebuilds incrementally and runs the tests of
# the mutant's folder. Prints made/compiled/killed/survived per folder and the survivors' places.
# Runs at low priority on one core:  bash scripts/mutation.sh [COMMIT] [DIR] > mutation.log &
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
commit=$(git rev-parse "${1:-HEAD}")
dir=${2:-/work/mut-${commit:0:7}}
list=${MUTANT_LIST:-$top/scripts/mutants.tsv}
command -v ccache >/dev/null && export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
if [ ! -d "$dir/.git" ]; then
  git clone -q "$top" "$dir"
fi
git -C "$dir" checkout -q "$commit"
if [ ! -f "$dir/build/build.ninja" ]; then
  nice -n 19 cmake -S "$dir" -B "$dir/build" -G Ninja -DVANTOR_BUILD_BENCH=OFF >/dev/null
fi
start=$(date +%s)
nice -n 19 ninja -C "$dir/build" -j1 >/dev/null
echo "built $commit in $(( $(date +%s) - start ))s"
exec nice -n 19 python3 "$top/scripts/mutate.py" run "$dir" "$dir/build" "$list"
