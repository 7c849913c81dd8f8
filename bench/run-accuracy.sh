#!/usr/bin/env bash
# The accuracy benchmark: the engine's results against MPFR, for this
# machine's build and, given a Windows build, for its evaluator run under
# Wine on the same arguments. Prints both tables.
#
#   bench/run-accuracy.sh NATIVE_BUILD_DIR [WINDOWS_BUILD_DIR [WINE_RUNNER...]]
#
# The build directories are CMake build trees (the programs are looked for
# in DIR/bench and DIR) or plain folders holding nimbrel-accuracy and
# nimbrel-accuracy-eval.exe. WINE_RUNNER is the command that runs a Windows
# program; it defaults to scripts/wine-run, which needs NIMBREL_WINEPREFIX
# (and NIMBREL_WINE=/usr/lib/wine/wine64 for an x86_64 build).
#
# Files go to $NIMBREL_ACCURACY_DIR (default NATIVE_BUILD_DIR/accuracy):
# arguments.txt, results-windows.txt and report.txt.
#
# Figures never fail this script: it exits non-zero only when a program is
# missing, can't run or crashes.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

if [ $# -lt 1 ] || [ "$1" = "-h" ] || [ "$1" = "--help" ]; then
  sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
fi

native_dir=$1
windows_dir=${2:-}
shift $(( $# >= 2 ? 2 : 1 ))
if [ $# -gt 0 ]; then runner=("$@"); else runner=("$root/scripts/wine-run"); fi
# A runner given as a relative path keeps working after the cd below.
case ${runner[0]} in
  /*) ;;
  */*) runner[0]=$(cd "$(dirname "${runner[0]}")" && pwd)/$(basename "${runner[0]}") ;;
esac

find_program() {  # DIR NAME
  local p
  for p in "$1/bench/$2" "$1/$2"; do
    if [ -f "$p" ]; then
      echo "$(cd "$(dirname "$p")" && pwd)/$(basename "$p")"
      return 0
    fi
  done
  echo "no $2 in $1 or $1/bench (build the target $2)" >&2
  return 1
}

accuracy=$(find_program "$native_dir" nimbrel-accuracy)
out=${NIMBREL_ACCURACY_DIR:-$native_dir/accuracy}
mkdir -p "$out"
out=$(cd "$out" && pwd)

if [ -z "$windows_dir" ]; then
  "$accuracy" | tee "$out/report.txt"
  exit 0
fi

eval_exe=$(find_program "$windows_dir" nimbrel-accuracy-eval.exe)
"$accuracy" --write-args "$out/arguments.txt"
rm -f "$out/results-windows.txt"
# Relative file names: the Windows program sees them in its current folder.
(cd "$out" && "${runner[@]}" "$eval_exe" arguments.txt results-windows.txt) | tr -d '\r'
"$accuracy" --windows-results "$out/results-windows.txt" | tee "$out/report.txt"
