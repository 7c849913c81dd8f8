#!/usr/bin/env python3
"""Checks that the includes under src/ go one way only.

The portable layers, lowest first: core and art; display; settings; app;
components (the face key's pointer rule) and setup; cli. A file may include
only its own layer and those it lists below. The Win32 halves (files named
*_win, and everything in win/, forms/ and INCLUDE/) sit above the portable
code they draw for. No portable file includes a Windows header, and no two
files include each other, directly or through others.

Usage: scripts/check-layers.py [SRC-DIR]   (prints each fault; fails on any)
       scripts/check-layers.py --self-test (the check finds each kind of fault)
"""

import os
import re
import sys

# Portable folder -> the folders its files may include.
PORTABLE = {
    "core": {"core"},
    "art": {"art"},
    "display": {"display", "core"},
    "settings": {"settings", "display", "core"},
    "app": {"app", "settings", "display", "core"},
    "components": {"components", "app", "display", "core"},
    "setup": {"setup", "settings", "core"},
    "cli": {"cli", "app", "setup", "settings", "display", "core"},
}

# Win32 halves -> the folders they may include: the form layer stands on
# the core's scale rule and the pictures only; a shell half on its own
# portable half and what that stands on.
WIN32 = {
    "win": {"win", "core", "art"},
    "settings": {"settings"},
    "display": {"display", "core", "win"},
    "components": {"components", "app", "core", "win"},
    "INCLUDE": {"INCLUDE", "win", "core"},
    "forms": None,  # the windows themselves: anything
    "setup": None,  # program entry: anything
}

WINDOWS_HEADERS = {
    "windows.h", "windowsx.h", "shellapi.h", "shlobj.h", "shobjidl.h", "mmsystem.h", "psapi.h",
    "objbase.h", "ole2.h", "oleauto.h", "commctrl.h", "winreg.h", "winuser.h", "wingdi.h", "sddl.h",
    "shlwapi.h", "winbase.h", "winver.h", "oleacc.h", "uxtheme.h", "dwmapi.h",
}

QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
ANGLED = re.compile(r'^\s*#\s*include\s+<([^>]+)>', re.M)


def is_win32(rel):
    folder = rel.split("/")[0]
    name = os.path.splitext(os.path.basename(rel))[0]
    return name.endswith("_win") or folder in ("win", "forms", "INCLUDE")


def self_test():
    """A small tree with one fault of each kind, and a clean one."""
    import tempfile
    cases = {
        "core/A.h": '#include "app/B.h"\n',               # against the direction
        "app/B.h": "",
        "display/C.cpp": "#include <windows.h>\n",          # a Windows header in portable code
        "settings/D.h": '#include "settings/E.h"\n',       # a loop
        "settings/E.h": '#include "settings/D.h"\n',
        "app/F.cpp": '#include "win/Gdi.h"\n',             # a Win32 half from portable code
        "win/Gdi.h": "#include <windows.h>\n",               # fine: Win32
        "display/G_win.cpp": '#include "display/H.h"\n#include <windows.h>\n',  # fine
        "display/H.h": '#include "core/I.h"\n',            # fine: downwards
        "core/I.h": "",
    }
    with tempfile.TemporaryDirectory() as root:
        for rel, text in cases.items():
            os.makedirs(os.path.join(root, os.path.dirname(rel)), exist_ok=True)
            with open(os.path.join(root, rel), "w") as f:
                f.write(text)
        faults = check(root)
    wanted = ["core/A.h: core may not include app/B.h", "display/C.cpp: a portable file includes <windows.h>",
              "include loop: settings/D.h -> settings/E.h -> settings/D.h",
              "app/F.cpp: a portable file includes the Win32 half win/Gdi.h"]
    missing = [w for w in wanted if not any(f.startswith(w) for f in faults)]
    extra = [f for f in faults if not any(f.startswith(w) for w in wanted)]
    for m in missing:
        print("self-test: not found:", m)
    for e in extra:
        print("self-test: found wrongly:", e)
    print(f"layers self-test: {len(wanted) - len(missing)} of {len(wanted)} faults found, {len(extra)} wrong")
    return 1 if missing or extra else 0


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--self-test":
        return self_test()
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    faults = check(os.path.normpath(src))
    for f in faults:
        print(f)
    print(f"layers: {len(faults)} faults")
    return 1 if faults else 0


def check(src):
    """The faults in the tree below `src`, as lines of text."""
    files = {}
    for root, _, names in os.walk(src):
        for n in names:
            if n.endswith((".h", ".cpp", ".in")):
                rel = os.path.relpath(os.path.join(root, n), src).replace(os.sep, "/")
                with open(os.path.join(root, n), encoding="utf-8", errors="replace") as f:
                    files[rel] = f.read()
    faults = []
    graph = {}
    for rel, text in sorted(files.items()):
        folder = rel.split("/")[0]
        win32 = is_win32(rel)
        allowed = (WIN32 if win32 else PORTABLE).get(folder, set())
        if not win32:
            for header in ANGLED.findall(text):
                if header.lower() in WINDOWS_HEADERS:
                    faults.append(f"{rel}: a portable file includes <{header}>")
        graph[rel] = []
        for inc in QUOTED.findall(text):
            target_folder = inc.split("/")[0]
            target = inc if inc in files else (inc + ".in" if inc + ".in" in files else None)
            if target:
                graph[rel].append(target)
            if not win32 and is_win32(inc):
                faults.append(f"{rel}: a portable file includes the Win32 half {inc}")
            elif allowed is not None and "/" in inc and target_folder not in allowed:
                faults.append(f"{rel}: {folder} may not include {inc} ({target_folder} is not below it)")
    # Include loops, file by file.
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in graph.get(node, []):
            if state.get(nxt) == 1:
                loop = stack[stack.index(nxt):] + [nxt]
                faults.append("include loop: " + " -> ".join(loop))
            elif nxt not in state:
                visit(nxt)
        stack.pop()
        state[node] = 2

    for node in sorted(graph):
        if node not in state:
            visit(node)
    return faults


if __name__ == "__main__":
    sys.exit(main())
