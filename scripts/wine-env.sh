# Sourced by the run and test commands: picks the Windows build that this
# machine can run under Wine and makes (once) the project's Wine prefix for it.
# Sets WINBUILD, WINE, ARCH and exports the variables scripts/wine-run reads.
#
# Where the kernel runs no 32-bit code, wine32 can't start: the same sources
# are then built for x86_64 Windows and run under wine64 (the same MinGW
# runtime, 80-bit long double and libquadmath; only the calling convention
# differs). The i686 build stays the release target either way.
nimbrel_wine_env() {
  local root=$1 jobs=${2:-2}
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINBUILD=build/win32 WINE=/usr/lib/wine/wine ARCH=win32
  else
    echo "note: this machine runs no 32-bit code; Windows programs run as x86_64 under wine64"
    WINBUILD=build/win64 WINE=/usr/lib/wine/wine64 ARCH=win64
    cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null 2>&1 ||
      cmake -S "$root" -B "$root/build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake"
    cmake --build "$root/build/win64" -j"$jobs" >/dev/null
  fi
  export NIMBREL_WINE=$WINE NIMBREL_WINEPREFIX=$root/build/wine-$ARCH/pfx
  export NIMBREL_WINEHOME=$root/build/wine-$ARCH/home
  export WINEPREFIX=$NIMBREL_WINEPREFIX WINEARCH=$ARCH HOME=$NIMBREL_WINEHOME WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$NIMBREL_WINEHOME"
  if [ ! -f "$NIMBREL_WINEPREFIX/system.reg" ]; then
    echo "== making a Wine prefix (once)"
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # No sound device (and no ALSA noise), and a crash prints instead of
    # waiting on a dialog.
    "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f >/dev/null 2>&1 || true
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
    wineserver -w   # the registry files are written when the server ends
  fi
  # Wine's own Tahoma, MS Sans Serif and the rest, where Windows keeps them:
  # this Wine doesn't find them in its own folder.
  if [ ! -f "$NIMBREL_WINEPREFIX/drive_c/windows/Fonts/tahoma.ttf" ] && [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$NIMBREL_WINEPREFIX/drive_c/windows/Fonts"
    cp /usr/share/wine/fonts/* "$NIMBREL_WINEPREFIX/drive_c/windows/Fonts/"
  fi
}
