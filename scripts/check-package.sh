#!/usr/bin/env bash
# Builds the Debian package from a built folder (default build/, as run-tests.sh leaves it) and
# checks it: lintian (no error, no warning), desktop-file-validate, appstreamcli validate, the
# package's files and control fields, each man page through `man --warnings`, the MIME type, and
# the programs and bash completion as unpacked into a scratch root with dpkg -x.
# Usage: check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "check-package: FAILED: $*" >&2
  failures=$((failures + 1))
}

bash scripts/package.sh "$dir" "$work" > "$work/package.log" || { cat "$work/package.log" >&2; exit 1; }
deb=$(ls "$work"/quarn-vantor_*.deb)
echo "== $(basename "$deb") =="
root=$work/root
dpkg -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"

echo "== lintian =="
# Errors and warnings fail; the infos are listed for the record.
lintian --fail-on error,warning --display-level ">=info" "$deb" > "$work/lintian.txt" 2>&1 || fail "lintian"
grep -v '^running with root privileges' "$work/lintian.txt" || true

echo "== the package's files =="
expected=(
  usr/bin/quarn-vantor usr/bin/vantor usr/bin/vantor-mkset
  usr/share/applications/quarn-vantor.desktop
  usr/share/metainfo/quarn-vantor.metainfo.xml
  usr/share/mime/packages/quarn-vantor.xml
  usr/share/icons/hicolor/scalable/apps/quarn-vantor.svg
  usr/share/icons/hicolor/{16x16,24x24,32x32,48x48,64x64,128x128,256x256}/apps/quarn-vantor.png
  usr/share/man/man1/{quarn-vantor,vantor,vantor-mkset}.1.gz
  usr/share/bash-completion/completions/vantor
  usr/share/doc/quarn-vantor/copyright usr/share/doc/quarn-vantor/changelog.gz
)
printf '%s\n' "${expected[@]}" | sort > "$work/expected.txt"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||' | sort > "$work/files.txt"
diff -u "$work/expected.txt" "$work/files.txt" || fail "the file list differs from the expected one (- missing, + extra)"
wc -l < "$work/files.txt" | sed 's/$/ files/'
# Settings live in the user's config directory: the package has no conffiles and no maintainer
# scripts, so installing over an older version leaves them alone.
extra=$(ls "$work/control" | grep -vx -e control -e md5sums || true)
[ -z "$extra" ] || fail "control files beyond control and md5sums: $extra"

echo "== control fields =="
field() { dpkg-deb -f "$deb" "$1"; }
for f in Package Version Section Maintainer Depends; do echo "$f: $(field $f)"; done
[ "$(field Package)" = quarn-vantor ] || fail "Package"
[ "$(field Section)" = sound ] || fail "Section"
field Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the shared libraries (dpkg-shlibdeps)"
field Depends | grep -q 'qt6-qpa-plugins' || fail "Depends lacks qt6-qpa-plugins"
version=$(field Version)
zcat "$root/usr/share/doc/quarn-vantor/changelog.gz" | head -1 | grep -qF "quarn-vantor ($version)" ||
  fail "the changelog's latest entry is not version $version"

echo "== desktop entry and AppStream metadata =="
desktop=$root/usr/share/applications/quarn-vantor.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=quarn-vantor %f' "$desktop" || fail "Exec"
grep -qx 'Icon=quarn-vantor' "$desktop" || fail "Icon"
# The component ID is the program's name: the project has no domain to reverse (a warning made info).
appstreamcli validate --no-net --override cid-desktopapp-is-not-rdns=info \
  "$root/usr/share/metainfo/quarn-vantor.metainfo.xml" || fail "appstreamcli validate"
grep -qF "<release version=\"$version\"" "$root/usr/share/metainfo/quarn-vantor.metainfo.xml" ||
  fail "the metainfo's release is not version $version"

echo "== MIME type: a metafile's type and the program that opens it =="
mkdir -p "$work/share"
cp -r "$root/usr/share/mime" "$root/usr/share/applications" "$work/share/"
# As the triggers of shared-mime-info and desktop-file-utils do on installation.
update-mime-database "$work/share/mime" > "$work/mime.log" 2>&1 || { cat "$work/mime.log"; fail "update-mime-database"; }
update-desktop-database "$work/share/applications" || fail "update-desktop-database"
mkdir -p "$work/set"
"$root/usr/bin/vantor-mkset" --sample "$work/set"
type=$(XDG_DATA_HOME=$work/share gio info -a standard::content-type "$work/set/SchemaMetafile_DVD1.csc" |
  sed -n 's/.*standard::content-type: //p')
echo "SchemaMetafile_DVD1.csc: $type"
[ "$type" = application/x-quarnhold-metafile ] || fail "content type $type"
# GIO offers a desktop entry only when its program is on PATH.
PATH=$root/usr/bin:$PATH XDG_DATA_HOME=$work/share gio mime application/x-quarnhold-metafile | tee "$work/handlers.txt"
grep -q 'quarn-vantor.desktop' "$work/handlers.txt" || fail "quarn-vantor.desktop does not open the metafiles"

echo "== man pages =="
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  lines=$(MANWIDTH=80 man -l "$page" 2>/dev/null | wc -l)
  echo "$(basename "$page"): $lines lines"
  [ -z "$warnings" ] || fail "man --warnings $(basename "$page"): $warnings"
  [ "$lines" -gt 20 ] || fail "$(basename "$page") renders to $lines lines"
done

echo "== the programs from the scratch root =="
run() { env -i PATH=/usr/bin:/bin HOME="$work/home" "$@"; }
for p in quarn-vantor vantor vantor-mkset; do
  out=$(run "$root/usr/bin/$p" --version) || fail "$p --version"
  echo "$out"
  [ "$out" = "$p 1.0 BETA" ] || fail "$p --version: $out"
done
run "$root/usr/bin/vantor" info "$work/set" | tee "$work/info.txt" || fail "vantor info"
grep -qx 'load: complete' "$work/info.txt" || fail "vantor info did not load the set completely"
run "$root/usr/bin/vantor" list "$work/set" --columns 2 --sort 2 | sed -n 1,3p

echo "== bash completion =="
completion=$root/usr/share/bash-completion/completions/vantor
bash -c "source /usr/share/bash-completion/bash_completion && source '$completion' && complete -p vantor" ||
  fail "the completion does not register"

if [ "$failures" != 0 ]; then
  echo "check-package: $failures check(s) failed" >&2
  exit 1
fi
echo "check-package: all checks passed"
