#!/usr/bin/env bash
# Builds the Windows packages from build-windows/dist (made by scripts/build-windows.sh first):
#   quarn-vantor-VERSION-win64-setup.exe   the installer (Debian's NSIS, packaging/windows/)
#   quarn-vantor-VERSION-win64.zip         the same programs, portable: unpack anywhere and run
# into OUT_DIR (default: the top of the source tree).
# Usage: package-windows.sh [OUT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(mkdir -p "${1:-.}" && cd "${1:-.}" && pwd)
source scripts/debian-packages.sh
install_missing nsis zip

bash scripts/build-windows.sh build-windows
build=$root/build-windows
dist=$build/dist
version=$(sed -n 's/^project(QuarnVantor VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)-beta
name=quarn-vantor-$version-win64
work=$build/package
rm -rf "$work"
mkdir -p "$work"

# What the installer puts down and its uninstaller takes away again: dist/, file by file.
winpath() { echo "${1//\//\\}"; }
{
  echo '!macro InstallFiles'
  (cd "$dist" && find . -type d | sort) | while read -r d; do
    d=${d#.}
    echo "  SetOutPath \"\$INSTDIR$(winpath "$d")\""
    (cd "$dist$d" && find . -maxdepth 1 -type f | sort) | while read -r f; do echo "  File \"$dist$d/${f#./}\""; done
  done
  echo '  SetOutPath "$INSTDIR"'
  echo '!macroend'
  echo '!macro RemoveFiles'
  (cd "$dist" && find . -type f | sort) | while read -r f; do echo "  Delete \"\$INSTDIR\\$(winpath "${f#./}")\""; done
  (cd "$dist" && find . -mindepth 1 -type d | sort -r) | while read -r d; do echo "  RMDir \"\$INSTDIR\\$(winpath "${d#./}")\""; done
  echo '!macroend'
} >"$work/files.nsh"

makensis -V2 -NOCD -DDIST="$dist" -DFILES="$work/files.nsh" -DICON="$build/app/quarn-vantor.ico" \
  -DVERSION="$version" -DOUTFILE="$out/$name-setup.exe" -DSIZE_KB="$(du -sk "$dist" | cut -f1)" \
  packaging/windows/quarn-vantor.nsi

# The portable zip: one folder, as dist/ holds it.
cp -r "$dist" "$work/$name"
rm -f "$out/$name.zip"
(cd "$work" && zip -q -X -r -9 "$out/$name.zip" "$name")
rm -rf "$work"
echo "package-windows: $out/$name-setup.exe ($(du -k "$out/$name-setup.exe" | cut -f1) KiB)"
echo "package-windows: $out/$name.zip ($(du -k "$out/$name.zip" | cut -f1) KiB)"
