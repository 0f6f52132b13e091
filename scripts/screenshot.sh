#!/usr/bin/env bash
# Draws the README's pictures of the desktop program on the demo set, offscreen, into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
rm -rf build/demo-set
./build/vantor-mkset --demo build/demo-set >/dev/null
./build/app/quarn-vantor-screenshot build/demo-set docs
echo "screenshots: docs/main-window.png docs/meta-sound.png"
