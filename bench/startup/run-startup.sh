#!/usr/bin/env bash
# Start-up of Nimbrel.exe against an empty window built the same way, side
# by side under Wine: the time from process creation to the first painted
# frame (each program measures it itself and ends), the wall time of the
# whole run as seen from outside, the working set at the first frame and the
# size of each exe. Figures only; it never fails on them.
# Usage: bench/startup/run-startup.sh [RUNS]   (from the repository's root)
set -euo pipefail
RUNS=${1:-15}
ROOT=$PWD
. scripts/wine-env.sh
nimbrel_wine_env "$ROOT" 2 >/dev/null
cmake --build "$WINBUILD" -j2 --target Nimbrel nimbrel-startup empty-window >/dev/null

T=$(mktemp -d)
export DISPLAY=:${NIMBREL_BENCH_DISPLAY:-98}
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'wineserver -k 2>/dev/null; kill $XVFB 2>/dev/null; rm -rf "$T"' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
wineserver -p60
export NIMBREL_FIRST_PAINT_REPORT=$T/report.txt
NIMBREL_FIRST_PAINT_REPORT_WIN=$(WINEDEBUG=-all "$WINE" winepath -w "$T/report.txt" 2>/dev/null | tr -d '\r')
export NIMBREL_FIRST_PAINT_REPORT=$NIMBREL_FIRST_PAINT_REPORT_WIN

"$WINE" "$WINBUILD/bench/empty-window.exe" >/dev/null 2>&1 || true   # warm the prefix
for i in $(seq "$RUNS"); do
  for prog in "$WINBUILD/bench/nimbrel-startup.exe" "$WINBUILD/bench/empty-window.exe"; do
    start=$(date +%s%N)
    timeout 60 "$WINE" "$prog" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo "$(basename "$prog" .exe) $(( (end - start) / 1000 ))" >> "$T/wall.txt"
  done
done

python3 - "$T/report.txt" "$T/wall.txt" "$WINBUILD/Nimbrel.exe" "$WINBUILD/bench/empty-window.exe" "$ARCH" <<'PY'
import os, statistics, sys
report, wall, nimbrel, empty, arch = sys.argv[1:]
paint, memory, walls = {}, {}, {}
for line in open(report):
    name, ms, ws = line.split()
    paint.setdefault(name, []).append(float(ms)); memory.setdefault(name, []).append(int(ws))
for line in open(wall):
    name, us = line.split()
    walls.setdefault("nimbrel" if name == "nimbrel-startup" else "empty", []).append(int(us) / 1000)
med = lambda xs: statistics.median(xs)
print(f"start-up under Wine ({arch}), {len(paint.get('nimbrel', []))} runs each")
print(f"{'':14}{'first paint ms':>16}{'wall ms':>10}{'working set KiB':>18}{'exe KiB':>10}")
for name, exe in (("nimbrel", nimbrel), ("empty", empty)):
    print(f"{name:14}{med(paint[name]):16.1f}{med(walls[name]):10.1f}{med(memory[name]) / 1024:18.0f}{os.path.getsize(exe) / 1024:10.0f}")
ratios = [a / b for a, b in zip(paint["nimbrel"], paint["empty"])]
print(f"median ratio of first paint, Nimbrel / empty window: {med(ratios):.2f}")
print(f"median ratio of wall time: {med([a / b for a, b in zip(walls['nimbrel'], walls['empty'])]):.2f}")
PY
