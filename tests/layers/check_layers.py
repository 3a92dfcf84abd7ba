"""The layer rule of src/: platform <- keymap, settings, scaling <- app.

Fails when a file below app/ includes an app/ header, when platform/ includes a
header of a layer above it, when a CMakeLists.txt below app/ names an app
target, or when two compiled files include each other's headers in a circle
(directly or through headers that have no source file of their own).
"""
import pathlib
import re
import sys

src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[2] / "src")
include = re.compile(r'^\s*#\s*include\s+"([a-z]+/[A-Za-z0-9_]+\.h)"', re.M)
allowed = {"platform": {"platform"}, "keymap": {"platform", "keymap"},
           "settings": {"platform", "keymap", "settings"}, "scaling": {"platform", "settings", "scaling"},
           "runtime": {"runtime"}, "app": {"platform", "keymap", "settings", "scaling", "app"}}
faults = []
files = sorted(p for p in src.rglob("*") if p.suffix in (".h", ".cpp"))
includes = {p: include.findall(p.read_text(encoding="utf-8", errors="replace")) for p in files}
for path, names in includes.items():
    layer = path.relative_to(src).parts[0]
    for name in names:
        if name.split("/")[0] not in allowed.get(layer, set()):
            faults.append(f"{path.relative_to(src)} includes {name}")
for layer in allowed:
    lists = src / layer / "CMakeLists.txt"
    if layer != "app" and lists.exists() and re.search(r"\bapp_\w+", lists.read_text()):
        faults.append(f"{layer}/CMakeLists.txt links an app target")

# Each compiled file, and the compiled files whose headers it reaches.
def unit(header):
    return (src / header).with_suffix(".cpp")
def reached(path, seen):
    for name in includes.get(path, []):
        if unit(name).exists():
            yield unit(name)
        elif (src / name) not in seen:
            seen.add(src / name)
            yield from reached(src / name, seen)
sources = [p for p in files if p.suffix == ".cpp"]
edges = {p: {u for u in reached(p, {p.with_suffix(".h")}) if u != p} |
            {u for u in reached(p.with_suffix(".h"), {p.with_suffix(".h")}) if u != p} for p in sources}
state = {}
def visit(p, stack):
    state[p] = "open"
    for q in sorted(edges.get(p, ())):
        if state.get(q) == "open":
            cycle = stack[stack.index(q):] + [q]
            faults.append("include circle: " + " -> ".join(str(c.relative_to(src)) for c in cycle))
        elif q not in state:
            visit(q, stack + [q])
    state[p] = "done"
for p in sources:
    if p not in state:
        visit(p, [p])

for fault in faults:
    print(fault)
print(f"{len(files)} files checked, {len(faults)} faults")
sys.exit(1 if faults else 0)
