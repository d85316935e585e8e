#!/usr/bin/env python3
"""Fails when a source file includes a layer above its own.

    layering.py SRC_DIR

The layers, lowest first: core/model, core/config, core/rules, core/store,
core/generation, core/formats, gui/widgets, the window areas (gui/basedata,
gui/limits, gui/manual, gui/generation, gui/output; none includes another),
gui/shell (with gui/main.cpp). cli sits on the core alone and never includes gui.
Each offending include is printed as "file:line: includes X (reason)".
"""
import os
import re
import sys

CORE = ["core/model", "core/config", "core/rules", "core/store", "core/generation", "core/formats"]
AREAS = ["gui/basedata", "gui/limits", "gui/manual", "gui/generation", "gui/output"]
RANK = {name: i for i, name in enumerate(CORE)}
RANK["gui/widgets"] = len(CORE)
RANK.update({area: len(CORE) + 1 for area in AREAS})
RANK["gui/shell"] = len(CORE) + 2
# The command-line tool stands beside the windows: above the core, below nothing.
RANK["cli"] = len(CORE) + 1

INCLUDE = re.compile(r'^\s*#\s*include\s*"((?:core|gui|cli)/[^"]+)"')


def layer_of(path):
    """The layer of a path relative to src/, or None for a file outside them."""
    if path == "gui/main.cpp":
        return "gui/shell"
    parts = path.split("/")
    name = parts[0] if parts[0] == "cli" else "/".join(parts[:2])
    return name if name in RANK else None


def problem(own, included):
    """Why a file of layer own may not include one of layer included, or None."""
    if included is None:
        return "not a known layer"
    if own == included:
        return None
    if own == "cli" and not included.startswith("core/"):
        return "cli uses the core only"
    if RANK[included] == RANK[own]:
        return f"{included} and {own} are separate layers"
    if RANK[included] > RANK[own]:
        return f"{included} is above {own}"
    return None


def check(src):
    faults = []
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            full = os.path.join(root, name)
            rel = os.path.relpath(full, src).replace(os.sep, "/")
            own = layer_of(rel)
            if own is None:
                faults.append(f"src/{rel}: lies in no layer")
                continue
            with open(full, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    why = problem(own, layer_of(m.group(1)))
                    if why:
                        faults.append(f"src/{rel}:{number}: includes {m.group(1)} ({why})")
    return faults


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    faults = check(sys.argv[1])
    for fault in sorted(faults):
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layering", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
