#!/usr/bin/env bash
# Runs a Windows program under Debian's Wine in a prefix of the build's own
# (build-windows/wine, made on first use), quietly and with a private home whose ALSA default is
# a null device, so winmm has one wave output without a sound card.
#   wine-run.sh PROGRAM.exe ARGS...   runs it and returns its exit code
#   wine-run.sh --stop                waits for the Wine server of the prefix to end
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
base=${VANTOR_WINE_DIR:-$here/build-windows/wine}
export WINEPREFIX=$base/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=$base/home
export XDG_CONFIG_HOME=$HOME/.config XDG_RUNTIME_DIR=$HOME/run
# Windows of their own on the X display VANTOR_WINE_DISPLAY; none otherwise.
unset DISPLAY WAYLAND_DISPLAY
[ -z "${VANTOR_WINE_DISPLAY:-}" ] || export DISPLAY=$VANTOR_WINE_DISPLAY
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
[ -f "$HOME/.asoundrc" ] || echo 'pcm.!default { type null }' >"$HOME/.asoundrc"

if [ "${1:-}" = "--stop" ]; then
  [ -d "$WINEPREFIX" ] && wineserver -w
  exit 0
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  (flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      # Debian's Wine does not list fonts-wine's Tahoma by itself, and without it (the face of
      # "MS Shell Dlg") windows get a serif one: the prefix's Fonts folder has it, as on Windows.
      cp -n /usr/share/wine/fonts/tahoma*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    fi
  ) 9>"$base/.init-lock"
fi
# The MinGW runtime, the dependencies' and Qt's DLLs, for the programs outside dist/ (Qt finds
# its plugins beside its DLLs); VANTOR_WINE_OWN_DLLS=1 leaves a program with those beside it.
gccdir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
winpath() { echo "Z:${1//\//\\}"; }
[ -n "${VANTOR_WINE_OWN_DLLS:-}" ] ||
  export WINEPATH="$(winpath "$gccdir");$(winpath /usr/x86_64-w64-mingw32/lib);$(winpath "$here/build-windows/deps/bin");$(winpath "$here/build-windows/deps/qt/bin")"
exec wine "$@"
