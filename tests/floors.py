# Fails, naming file and line, on an #include "..." of src/ that runs up a floor, on a window's
# header included by no window nor the program object, and on any circle of files.
import pathlib, re, sys

# Bottom up; a window (frm*) is on floor 8 in whichever room it lives. The program object,
# which holds the windows, lives beside the two it holds.
FLOORS = {"win": 0, "base": 1, "log": 2, "settings": 3, "lang": 4, "inventory": 5,
          "operations": 6, "restore": 7, "about": 8, "app": 8}
PROGRAM = {"app/Program", "app/main"}
window = lambda unit: unit.split("/")[-1].startswith("frm")
floor = lambda unit: 8 if window(unit) else FLOORS[unit.split("/")[0]]

src = pathlib.Path(sys.argv[1])
files, edges, faults = sorted(src.rglob("*.[ch]*")), {}, []
for path in files:
    unit = path.relative_to(src).with_suffix("").as_posix()  # a header and its source are one unit
    for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
        included = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
        target = included and pathlib.PurePosixPath(included.group(1)).with_suffix("").as_posix()
        if not target or target == unit: continue
        where = f"{path.relative_to(src).as_posix()}:{number}: {included.group(1)}"
        edges.setdefault(unit, []).append((target, where))
        if floor(target) > floor(unit):
            faults.append(f"{where} runs up from floor {floor(unit)} to {floor(target)}")
        elif window(target) and not window(unit) and unit not in PROGRAM:
            faults.append(f"{where} is a window's header, included by no window")

state, stack = {}, []  # depth first: a unit met again while its own includes are walked


def walk(unit):
    state[unit] = "open"
    stack.append(unit)
    for target, where in edges.get(unit, []):
        if state.get(target) == "open":
            faults.append(f"{where} closes the circle " + " -> ".join(stack[stack.index(target):] + [target]))
        elif target not in state: walk(target)
    stack.pop()
    state[unit] = "done"


for unit in sorted(edges):
    if unit not in state: walk(unit)
print("\n".join(faults) or f"{len(files)} files include only their own floor or below, in no circle")
sys.exit(1 if faults else 0)
