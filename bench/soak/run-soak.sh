#!/usr/bin/env bash
# The soak: Nimbrel.exe under Wine worked for a long time by nimbrel-soak
# (100,000 key presses, each painted; 2,000 size changes; 1,000 DPI changes
# between 96 and 192; 1,000 About screens; 500 memory windows and 500
# options dialogs; 1,000 copies and pastes; 1,000 tray tips), with the GDI
# and USER objects and the memory of its process after each phase. At the
# end 2 Enter 3 + must still copy 5.0000, and the face must still paint as
# it did at the start.
#
#   bench/soak/run-soak.sh [--short] [--leak] [--share S]   (from the repository's root)
#
# --short: a tenth of each phase, and the run fails on what it finds (the
# test command runs it). Without it, the full soak prints its figures and
# never fails on them. --leak: the build with a deliberate leak of one GDI
# object a paint instead of Nimbrel.exe, which must fail. --share S: another
# share of the full length.
#
# The objects are steady when no phase after the warm-up ends with more than
# 16 GDI or 8 USER objects above what the warm-up ended with (a count from
# the process's own handle table, or GetGuiResources where it answers).
# WINE, WINBUILD and NIMBREL_WINEPREFIX come from the test command when it
# runs this; otherwise from scripts/wine-env.sh.
set -euo pipefail
SHORT= LEAK= SHARE=1
while [ $# -gt 0 ]; do
  case $1 in
    --short) SHORT=1 SHARE=0.1 ;;
    --leak) LEAK=1 ;;
    --share) SHARE=$2; shift ;;
    *) echo "usage: $0 [--short] [--leak] [--share S]" >&2; exit 2 ;;
  esac
  shift
done
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
cd "$ROOT"
if [ -z "${WINE:-}" ] || [ -z "${WINBUILD:-}" ] || [ -z "${NIMBREL_WINEPREFIX:-}" ]; then
  . scripts/wine-env.sh
  nimbrel_wine_env "$ROOT" 2 >/dev/null
fi
PROGRAM=Nimbrel
[ -n "$LEAK" ] && PROGRAM=nimbrel-soak-leak
cmake --build "$WINBUILD" -j2 --target "$PROGRAM" nimbrel-soak soak_count >/dev/null
EXE=$(find "$WINBUILD" -maxdepth 2 -name "$PROGRAM.exe" | head -1)
DRIVER=$WINBUILD/bench/nimbrel-soak.exe

T=$(mktemp -d)
XVFB=
cleanup() {
  WINEPREFIX=$T/pfx wineserver -k 2>/dev/null || true
  [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null
  rm -rf "$T"
}
trap cleanup EXIT
cp -a "$NIMBREL_WINEPREFIX" "$T/pfx"
export WINEPREFIX=$T/pfx HOME=$T/home WINEDEBUG=-all LANG=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME"
. scripts/xvfb.sh
start_xvfb "${NIMBREL_SOAK_DISPLAY:-70}"
wineserver -p60
"$WINE" cmd /c exit >/dev/null 2>&1 </dev/null   # Wine's own processes, started away from our pipes
# Wine draws the frames itself: without a window manager, a managed window's
# hiding waits 2 s for one (each memory window and options dialog would).
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
( exec "$WINE" "$EXE" ) >/dev/null 2>&1 </dev/null &

soak() { "$WINE" "$DRIVER" "$@" </dev/null 2>/dev/null | sed -u 's/\r$//'; }   # each line as it comes
shot() { import -display "$DISPLAY" -window root "$T/$1.png" 2>/dev/null; }

soak check > "$T/before.txt" || true   # the verdict below says what is missing
shot before
echo "soak of $PROGRAM.exe under Wine ($(basename "$WINBUILD")), share $SHARE of the full length"
soak soak "$SHARE" | tee "$T/phases.txt" || true
soak check > "$T/after.txt" || true
shot after

python3 "$ROOT/bench/soak/judge.py" "$T/phases.txt" "$T/before.txt" "$T/after.txt" "$T/before.png" "$T/after.png" &&
  verdict=0 || verdict=$?
mkdir -p build/soak && cp "$T/before.png" "$T/after.png" build/soak/
[ -n "$SHORT" ] && exit "$verdict"
exit 0
