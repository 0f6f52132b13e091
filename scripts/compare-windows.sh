#!/usr/bin/env bash
# Runs the Windows vantor.exe (build-windows/dist, under Wine) and the Linux vantor (build/) on
# the demo set and on a `--bench 1000 --audio` set, and compares what they print and the files
# `extract` and `extract --raw` write, byte for byte; then the demo set on a network share, by its
# UNC name. Prints every difference and exits non-zero when there was one.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux=$root/${VANTOR_LINUX_BUILD:-build}
win=$root/build-windows/dist/vantor.exe
wine() { "$root/scripts/wine-run.sh" "$@"; }
work=$(mktemp -d "${TMPDIR:-/tmp}/vantor-compare-XXXXXX")
trap 'cd "$root"; rm -rf "$work"; "$root/scripts/wine-run.sh" --stop' EXIT
cd "$work"

"$linux/vantor-mkset" --demo demo >/dev/null 2>&1
"$linux/vantor-mkset" --bench 1000 --audio bench >/dev/null 2>&1

checks=0 failures=0
# The Windows program's arguments: the same, or with its paths on the network share when $share
# names it (Wine maps \\SERVER\SHARE to the prefix's dosdevices/unc/SERVER/SHARE, here this folder).
share=
on_share() {
  args=("$1")
  shift
  local a
  for a in "$@"; do
    [ -z "$share" ] || [ "$a" = --out ] || [ "${a:0:1}" = - ] || [ "$a" -eq "$a" ] 2>/dev/null || a="$share\\$a"
    args+=("$a")
  done
}
# Runs one command line through both programs (relative paths, so both print the same names).
same() {
  local name=$1
  shift
  local rl=0 rw=0
  "$linux/vantor" "$@" >"$name.linux.out" 2>"$name.linux.err" || rl=$?
  on_share "$@"
  wine "$win" "${args[@]}" >"$name.win.out" 2>"$name.win.err" || rw=$?
  checks=$((checks + 1))
  if [ "$rl" != "$rw" ] || ! cmp -s "$name.linux.out" "$name.win.out" || ! cmp -s "$name.linux.err" "$name.win.err"; then
    failures=$((failures + 1))
    echo "DIFFERS: vantor $* (exit $rl on Linux, $rw on Windows)"
    diff "$name.linux.out" "$name.win.out" | head -5 || true
    diff "$name.linux.err" "$name.win.err" | head -5 || true
  fi
}
# Both extract into folders of their own, which must then hold the same files.
same_tree() {
  local name=$1
  shift
  local rl=0 rw=0
  "$linux/vantor" "$@" --out "$name.linux" >"$name.linux.out" 2>"$name.linux.err" || rl=$?
  on_share "$@" --out "$name.win"
  wine "$win" "${args[@]}" >"$name.win.out" 2>"$name.win.err" || rw=$?
  checks=$((checks + 1))
  if [ "$rl" != "$rw" ] || ! cmp -s "$name.linux.out" "$name.win.out" || ! cmp -s "$name.linux.err" "$name.win.err" ||
    ! diff -r "$name.linux" "$name.win" >/dev/null; then
    failures=$((failures + 1))
    echo "DIFFERS: vantor $* --out (exit $rl on Linux, $rw on Windows)"
    diff -rq "$name.linux" "$name.win" | head -5 || true
    diff "$name.linux.err" "$name.win.err" | head -5 || true
  fi
}

for set in demo bench; do
  same "$set-list" list "$set"
  same "$set-list-json" list "$set" --json
  same "$set-info" info "$set"
  same "$set-info-json" info "$set" --json
  same "$set-tags" tags "$set"
  same "$set-meta" meta "$set" 1
  same "$set-meta-last" meta "$set" 3
  same "$set-find" find "$set" a
  same_tree "$set-extract" extract "$set"
  same_tree "$set-raw" extract "$set" --raw
done
same missing info no-such-folder

# The demo set read from a network share by its UNC name, and extracted onto the share.
unc=${VANTOR_WINE_DIR:-$root/build-windows/wine}/prefix/dosdevices/unc/vantor-nas
mkdir -p "$unc"
ln -sfn "$work" "$unc/share"
share='\\vantor-nas\share'
same share-list list demo
same share-info info demo
same share-meta meta demo 3
same_tree share-extract extract demo
same_tree share-raw extract demo --raw
# A share that is not there (the server off, the drive unplugged) is a folder that is not there.
share='\\vantor-nas\gone'
rw=0
on_share info demo
wine "$win" "${args[@]}" >share-gone.out 2>share-gone.err || rw=$?
checks=$((checks + 1))
if [ "$rw" != 2 ] || [ -s share-gone.out ] || ! cmp -s share-gone.err <(printf 'vantor: no such directory or file: %s\n' "$share\\demo"); then
  failures=$((failures + 1))
  echo "DIFFERS: vantor info $share\\demo (exit $rw, expected 2 and a message)"
  cat share-gone.err
fi

echo "compare-windows: $((checks - failures)) passed, $failures failed"
[ "$failures" = 0 ]
