"""The soak's figures as a table, and its verdict (exit status 1 on a fault).

    judge.py PHASES BEFORE-CHECK AFTER-CHECK BEFORE-PNG AFTER-PNG

Faults: a phase missing or without counts; after the warm-up, a phase that
ends with more than GDI_ALLOWANCE GDI or USER_ALLOWANCE USER objects above
what the warm-up ended with; 2 Enter 3 + not copied as 5.0000 at the end;
the face not painted at the end as at the start (fewer than 90 % of the
client's pixels as they were, or fewer than 8 colours in it).
"""
import subprocess
import sys

GDI_ALLOWANCE, USER_ALLOWANCE = 16, 8
PHASES = ["start", "warm-up", "keys", "sizes", "dpi", "about", "memory-window", "options",
          "copy-paste", "tray-tips", "keys-again"]


def read_phases(path):
    phases = {}
    for line in open(path):
        f = line.split()
        if len(f) > 2 and f[0] == "phase":
            phases[f[1]] = dict(kv.split("=", 1) for kv in f[2:] if "=" in kv)
    return phases


def read_check(path):
    answers = {}
    for line in open(path):
        f = line.split()
        if f:
            answers[f[0]] = f[1:]
    return answers


def pixels(png, rect):
    left, top, right, bottom = rect
    ppm = subprocess.run(["convert", png, "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage", "ppm:-"],
                         capture_output=True, check=True).stdout
    fields, pos = [], 0
    while len(fields) < 4:  # P6, width, height, maximum, then one blank
        while ppm[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not ppm[end:end + 1].isspace():
            end += 1
        fields.append(ppm[pos:end])
        pos = end
    data = ppm[pos + 1:]
    return [data[i:i + 3] for i in range(0, len(data), 3)]


def table(phases):
    """One row a phase; "+GDI a step" is what the phase itself added, by its steps."""
    print(f"{'phase':14}{'steps':>7}{'s':>7}{'steps/s':>8}{'WS KiB':>8}{'private KiB':>12}{'GDI':>8}{'USER':>7}"
          f"{'+GDI a step':>12}  GDI: DC bmp brush font pen rgn | USER: wnd menu icon")
    before = None
    for name in PHASES:
        p = phases.get(name)
        if not p or "gdi" not in p:
            continue
        s, steps = int(p["ms"]) / 1000, int(p["steps"])
        timed = s > 0 and name not in ("start", "warm-up")
        rate = f"{steps / s:8.1f}" if timed else f"{'':8}"
        added = f"{(int(p['gdi']) - int(before['gdi'])) / steps:12.2f}" if timed and before else f"{'':12}"
        print(f"{name:14}{steps:7}{s:7.1f}{rate}{p['ws_kb']:>8}{p['private_kb']:>12}{p['gdi']:>8}{p['user']:>7}"
              f"{added}  {p['dcs']} {p['bitmaps']} {p['brushes']} {p['fonts']} {p['pens']}"
              f" {p['regions']} | {p['windows']} {p['menus']} {p['icons']}")
        before = p


def object_faults(phases):
    faults = [f"phase {n}: no figures" for n in PHASES if "gdi" not in phases.get(n, {})]
    if faults:
        return faults
    warm = phases["warm-up"]
    for name in PHASES[2:]:
        p = phases[name]
        for kind, allowance in (("gdi", GDI_ALLOWANCE), ("user", USER_ALLOWANCE)):
            grew = int(p[kind]) - int(warm[kind])
            if grew > allowance:
                faults.append(f"phase {name}: {grew} {kind.upper()} objects more than after the warm-up "
                              f"(allowed {allowance})")
    return faults


def face_faults(before, after, before_png, after_png):
    faults = []
    copied = " ".join(after.get("copied", ["(none)"]))
    if copied != "5.0000":
        faults.append(f"2 Enter 3 + copied {copied!r} at the end, not '5.0000'")
    rect_before = [int(v) for v in before.get("client", [])]
    rect_after = [int(v) for v in after.get("client", [])]
    if len(rect_after) != 4 or rect_before != rect_after:
        return faults + [f"the client moved or is gone: {rect_before} then {rect_after}"]
    was, now = pixels(before_png, rect_before), pixels(after_png, rect_after)
    same = sum(a == b for a, b in zip(was, now)) / max(len(now), 1)
    colours = len(set(now))
    print(f"the face at the end: {same:.1%} of {len(now)} pixels as at the start, {colours} colours")
    if same < 0.9 or colours < 8:
        faults.append("the face does not paint at the end as it did at the start")
    return faults


def main(phases_path, before_path, after_path, before_png, after_png):
    phases = read_phases(phases_path)
    table(phases)
    faults = object_faults(phases) + face_faults(read_check(before_path), read_check(after_path), before_png,
                                                 after_png)
    for fault in faults:
        print("FAULT:", fault)
    print("soak: " + ("objects steady, 5.0000 at the end, the face painted" if not faults else "FAILED"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:6]))
