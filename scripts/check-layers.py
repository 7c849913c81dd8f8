#!/usr/bin/env python3
"""Checks that the includes under src/ go one way only.

The portable layers, lowest first: core and art; display; settings; app;
components (the face key's pointer rule) and setup; cli. A file may include
only its own layer and those it lists below. The Win32 halves (files named
*_win, and everything in win/, forms/ and INCLUDE/) sit above the portable
code they draw for. No portable file includes a Windows header, and no two
files include each other, directly or through others.

Usage: scripts/check-layers.py [SRC-DIR]   (prints each fault; fails on any)
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


def main():
    src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src")
    src = os.path.normpath(src)
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
    for f in faults:
        print(f)
    print(f"layers: {len(files)} files, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
