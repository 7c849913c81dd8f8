#!/usr/bin/env bash
# Start-up of Nimbrel.exe against an empty window built the same way, side
# by side under Wine: the time from process creation to the first painted
# frame (each program measures it itself and ends), the wall time of the
# whole run as seen from outside, the working set at the first frame and the
# size of each exe; then where Nimbrel's start goes, step by step, from the
# marks its probe build sets (the time of each step and the working set at
# its end) and the DLLs loaded at the first frame that the empty window
# doesn't load. Figures only; it never fails on them.
# Usage: bench/startup/run-startup.sh [RUNS]   (from the repository's root)
set -euo pipefail
RUNS=${1:-15}
ROOT=$PWD
. scripts/wine-env.sh
nimbrel_wine_env "$ROOT" 2 >/dev/null
cmake --build "$WINBUILD" -j2 --target Nimbrel nimbrel-startup empty-window >/dev/null

T=$(mktemp -d)
# A copy of the project's prefix: the runs write settings and the tape there,
# which the tests' prefix must not keep.
cp -a "$NIMBREL_WINEPREFIX" "$T/pfx"
export WINEPREFIX=$T/pfx
# Both stripped, as the dist zip ships the program: the debugging data
# (5.5 MB) is part of the image, and under Wine it is in the working set
# from the start (measured: 5.4 MB more at WinMain's entry unstripped).
STRIP=$(sed -n 's/^CMAKE_STRIP:FILEPATH=//p' "$WINBUILD/CMakeCache.txt")
mkdir "$T/bin"
for prog in nimbrel-startup empty-window; do "$STRIP" -o "$T/bin/$prog.exe" "$WINBUILD/bench/$prog.exe"; done
export DISPLAY=:${NIMBREL_BENCH_DISPLAY:-98}
Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'wineserver -k 2>/dev/null; kill $XVFB 2>/dev/null; rm -rf "$T"' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
wineserver -p60
export NIMBREL_FIRST_PAINT_REPORT=$T/report.txt
NIMBREL_FIRST_PAINT_REPORT_WIN=$(WINEDEBUG=-all "$WINE" winepath -w "$T/report.txt" 2>/dev/null | tr -d '\r')
export NIMBREL_FIRST_PAINT_REPORT=$NIMBREL_FIRST_PAINT_REPORT_WIN

"$WINE" "$T/bin/empty-window.exe" >/dev/null 2>&1 || true   # warm the prefix
for i in $(seq "$RUNS"); do
  for prog in "$T/bin/nimbrel-startup.exe" "$T/bin/empty-window.exe"; do
    start=$(date +%s%N)
    timeout 60 "$WINE" "$prog" >/dev/null 2>&1 || true
    end=$(date +%s%N)
    echo "$(basename "$prog" .exe) $(( (end - start) / 1000 ))" >> "$T/wall.txt"
  done
done

python3 - "$T/report.txt" "$T/wall.txt" "$T/bin/nimbrel-startup.exe" "$T/bin/empty-window.exe" "$ARCH" <<'PY'
import os, statistics, sys
report, wall, nimbrel, empty, arch = sys.argv[1:]
paint, memory, walls = {}, {}, {}
runs = {}      # program -> one list of (step, ms, working set) per run, the first paint last
dlls = {}      # program -> the DLLs loaded at the first frame, in any run
pending = {}
for line in open(report):
    f = line.split()
    if f[0] == "mark":
        pending.setdefault(f[1], []).append((f[2], float(f[3]), int(f[4])))
    elif f[0] == "dll":
        dlls.setdefault(f[1], set()).add(f[2])
    else:
        name, ms, ws = f
        paint.setdefault(name, []).append(float(ms)); memory.setdefault(name, []).append(int(ws))
        runs.setdefault(name, []).append(pending.pop(name, []) + [("first-paint", float(ms), int(ws))])
for line in open(wall):
    name, us = line.split()
    walls.setdefault("nimbrel" if name == "nimbrel-startup" else "empty", []).append(int(us) / 1000)
med = lambda xs: statistics.median(xs)
print(f"start-up under Wine ({arch}), {len(paint.get('nimbrel', []))} runs each")
print(f"{'':14}{'first paint ms':>16}{'wall ms':>10}{'working set KiB':>18}{'stripped exe KiB':>18}")
for name, exe in (("nimbrel", nimbrel), ("empty", empty)):
    print(f"{name:14}{med(paint[name]):16.1f}{med(walls[name]):10.1f}{med(memory[name]) / 1024:18.0f}{os.path.getsize(exe) / 1024:18.0f}")
ratios = [a / b for a, b in zip(paint["nimbrel"], paint["empty"])]
print(f"median ratio of first paint, Nimbrel / empty window: {med(ratios):.2f}")
print(f"ratio of the medians of first paint: {med(paint['nimbrel']) / med(paint['empty']):.2f}")
print(f"median ratio of wall time: {med([a / b for a, b in zip(walls['nimbrel'], walls['empty'])]):.2f}")

def steps(name):
    """Each step's time (from the previous mark; a step met twice, as a
    rescale, counts both) and the working set at its last mark, per run."""
    order, per_run = [], []
    for marks in runs.get(name, []):
        took, ws, before = {}, {}, 0.0
        for step, ms, w in marks:
            if step not in order: order.append(step)
            took[step] = took.get(step, 0.0) + ms - before
            ws[step] = w
            before = ms
        per_run.append((took, ws))
    return order, per_run

print()
print("where the start goes (medians; a step's time runs from the mark before it, process creation first)")
print(f"{'step':18}{'nimbrel ms':>12}{'WS KiB':>9}{'empty ms':>11}{'WS KiB':>9}")
order, nimbrel_runs = steps("nimbrel")
_, empty_runs = steps("empty")
for step in order:
    row = f"{step:18}"
    for per_run in (nimbrel_runs, empty_runs):
        took = [t[step] for t, _ in per_run if step in t]
        ws = [w[step] for _, w in per_run if step in w]
        row += f"{med(took):12.1f}{med(ws) / 1024:9.0f}" if took else f"{'':12}{'':9}"
    print(row)
extra = sorted(dlls.get("nimbrel", set()) - dlls.get("empty", set()))
print(f"DLLs at the first frame: nimbrel {len(dlls.get('nimbrel', ()))}, empty window {len(dlls.get('empty', ()))}")
print("only Nimbrel's: " + (" ".join(extra) if extra else "none"))
PY
