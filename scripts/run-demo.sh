#!/usr/bin/env bash
# Sets up, builds, writes a sample metafile set under build/ and shows it with the command line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build
set_dir=build/sample-set
rm -rf "$set_dir"
./build/vantor-mkset --sample "$set_dir"
echo "== vantor info $set_dir =="
./build/vantor info "$set_dir"
echo
echo "== vantor list $set_dir =="
./build/vantor list "$set_dir"
echo
echo "== vantor tags $set_dir =="
./build/vantor tags "$set_dir"
