#!/usr/bin/env bash
# Sets up, builds, writes the demo metafile set under build/ and opens it in the desktop program
# when there is a display; without one, shows it with the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
set_dir=build/demo-set
rm -rf "$set_dir"
./build/vantor-mkset --demo "$set_dir"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "== quarn-vantor $set_dir =="
  exec ./build/quarn-vantor "$set_dir"
fi
echo "(no display: DISPLAY and WAYLAND_DISPLAY are unset, so the desktop program is not started;"
echo " the demo set is shown with the command-line companion instead)"
echo
echo "== vantor info $set_dir =="
./build/vantor info "$set_dir"
echo
echo "== vantor tags $set_dir =="
./build/vantor tags "$set_dir"
echo
echo "== vantor list $set_dir =="
./build/vantor list "$set_dir"
echo
echo "== the subtitles in French, Italian, German and Spanish (first mission sounds) =="
{ ./build/vantor list "$set_dir" --show 17 --columns 2,6,7,8,9 || true; } | head -n 8
