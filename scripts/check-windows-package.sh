#!/usr/bin/env bash
# Builds the Windows packages (scripts/package-windows.sh) and checks them under Wine, in a prefix
# of its own: the zip holds the programs and their DLLs, and its vantor.exe runs from where it was
# unpacked; the installer run silently (/S) puts down every file of dist/, the Start-menu entry,
# "Open with Quarn Vantor" for *.csc and the uninstaller's entry (name, version, publisher, icon,
# size); the installed vantor.exe stores a setting; the silent uninstaller then leaves nothing of
# what was installed, and the setting stays.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d)
export VANTOR_WINE_DIR=$work/wine VANTOR_WINE_OWN_DLLS=1
trap '"$root/scripts/wine-run.sh" --stop || true; rm -rf "$work"' EXIT
failures=0
fail() {
  echo "check-windows-package: FAILED: $*" >&2
  failures=$((failures + 1))
}
wine() { "$root/scripts/wine-run.sh" "$@"; }
reg_query() { wine reg query "$@" 2>/dev/null | tr -d '\r'; }

bash scripts/package-windows.sh "$work" >"$work/package.log" || { cat "$work/package.log" >&2; exit 1; }
setup=$(ls "$work"/quarn-vantor-*-win64-setup.exe)
zip=$(ls "$work"/quarn-vantor-*-win64.zip)
dist=$root/build-windows/dist

echo "== $(basename "$zip") =="
unzip -q "$zip" -d "$work/portable"
portable=$(ls -d "$work"/portable/quarn-vantor-*)
diff -r "$dist" "$portable" >/dev/null || fail "the zip is not dist/"
# From where it was unpacked, with nothing but its own DLLs.
# (Output goes to files before grep: a grep -q that stops reading would break the pipe under the
# program while it still writes, and pipefail would count that as the program's failure.)
if ! (cd "$work" && wine "$portable/vantor-mkset.exe" --demo demo >/dev/null &&
  wine "$portable/vantor.exe" info demo >info.txt 2>info.err) || ! grep -q "^tags: " "$work/info.txt"; then
  fail "the zip's programs do not run from their folder"
  cat "$work/info.txt" "$work/info.err" >&2 || true
fi

echo "== $(basename "$setup") /S =="
wine "$setup" /S
wine --stop
prefix=$VANTOR_WINE_DIR/prefix
dir="$prefix/drive_c/Program Files/Quarn Vantor"
diff -r -x uninstall.exe "$dist" "$dir" >/dev/null || fail "the installed files are not dist/"
lnk="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quarn Vantor.lnk"
[ -f "$lnk" ] || fail "no Start-menu entry"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuarnVantor'
entry=$(reg_query "$key")
for value in "DisplayName    REG_SZ    Quarn Vantor" "DisplayVersion    REG_SZ    1.0-beta" \
  "Publisher    REG_SZ    The Quarn Vantor developers" "DisplayIcon    REG_SZ    \"C:\\Program Files\\Quarn Vantor\\quarn-vantor.exe\",0" \
  "UninstallString    REG_SZ    \"C:\\Program Files\\Quarn Vantor\\uninstall.exe\"" "EstimatedSize    REG_DWORD"; do
  grep -qF "$value" <<<"$entry" || fail "uninstall entry: no $value"
done
verb='HKLM\Software\Classes\SystemFileAssociations\.csc\shell\QuarnVantor'
grep -qF "REG_SZ    Open with Quarn Vantor" <<<"$(reg_query "$verb")" || fail "no Open with Quarn Vantor"
grep -qF '"C:\Program Files\Quarn Vantor\quarn-vantor.exe" "%1"' <<<"$(reg_query "$verb\\command")" || fail "the verb's command"

# A setting, as the program stores it.
mkdir -p "$prefix/drive_c/Games"
wine "$dir/vantor-mkset.exe" --demo 'C:\Games\Quarnhold' >/dev/null
wine "$dir/vantor.exe" locate --set 'C:\Games\Quarnhold' >/dev/null || fail "vantor locate --set"

echo "== uninstall.exe /S =="
wine "$dir/uninstall.exe" /S
wine --stop
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find . | head -5)"
[ ! -e "$lnk" ] || fail "the Start-menu entry is left"
reg_query "$key" >/dev/null && fail "the uninstall entry is left"
reg_query "$verb" >/dev/null && fail "Open with Quarn Vantor is left"
reg_query 'HKLM\Software\Classes\Applications\quarn-vantor.exe' >/dev/null && fail "the Applications entry is left"
grep -q 'Games' <<<"$(reg_query 'HKLM\Software\Quarn Vantor')" || fail "the setting went with the program"

[ "$failures" = 0 ] || { echo "check-windows-package: $failures failure(s)" >&2; exit 1; }
echo "check-windows-package: all checks passed"
