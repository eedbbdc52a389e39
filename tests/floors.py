"""Fails on any #include "..." under src/ that runs up a floor, on a window header included
by a file that is neither a window nor the program object, and on any circle of files."""
import pathlib
import re
import sys

# Bottom up. Windows are the frm* files of any room, with the rest of about, wizard and app.
FLOORS = {"win": 0, "base": 1, "log": 2, "settings": 3, "lang": 4, "inventory": 5,
          "operations": 6, "restore": 7, "about": 8, "wizard": 8, "app": 8}
WINDOW, PROGRAM = 8, 9
PROGRAM_FILES = {"app/Program", "app/main"}


def window(unit):
    return unit.split("/")[-1].startswith("frm")


def floor(unit):
    if unit in PROGRAM_FILES:
        return PROGRAM
    return WINDOW if window(unit) else FLOORS[unit.split("/")[0]]


src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[1] / "src")
files = sorted(src.rglob("*.[ch]*"))
edges, faults = {}, []
for path in files:
    unit = path.relative_to(src).with_suffix("").as_posix()  # a header and its source are one unit
    for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
        found = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
        if not found:
            continue
        target = pathlib.PurePosixPath(found.group(1)).with_suffix("").as_posix()
        where = f"{path.relative_to(src).as_posix()}:{number}: {found.group(1)}"
        if target == unit:
            continue
        edges.setdefault(unit, []).append((target, where))
        if floor(target) > floor(unit):
            faults.append(f"{where} runs up from floor {floor(unit)} to {floor(target)}")
        elif window(target) and not window(unit) and floor(unit) < PROGRAM:
            faults.append(f"{where} is a window's header, included by no window")

# A circle: a unit reached again while its own includes are being walked (depth first).
state, stack = {}, []


def walk(unit):
    state[unit] = "open"
    stack.append(unit)
    for target, where in edges.get(unit, []):
        if state.get(target) == "open":
            faults.append(f"{where} closes the circle " + " -> ".join(stack[stack.index(target):] + [target]))
        elif target not in state:
            walk(target)
    stack.pop()
    state[unit] = "done"


for unit in sorted(edges):
    if unit not in state:
        walk(unit)

print("\n".join(faults) or f"{len(files)} files include only their own floor or below, in no circle")
sys.exit(1 if faults else 0)
