"""The probe tool (tests/e2e/tools/probe.cpp) reads and pokes the running
program from outside; these read its answers. Every answer line is
space-separated key=value pairs, the first always kind=...; texts are hex of
their code-page-936 bytes; rectangles are left,top,width,height."""
import subprocess

from kestrova.builds import tool
from kestrova.names import CAPTION


def parse(out):
    """The probe's answer as a list of {key: value} rows, one per line."""
    rows = []
    for line in out.splitlines():
        fields = dict(part.split("=", 1) for part in line.split() if "=" in part)
        if "kind" in fields:
            rows.append(fields)
    return rows


def text(row, key="text"):
    """A hex text field of a row, decoded from code page 936."""
    return bytes.fromhex(row.get(key, "")).decode("gbk", "replace")


def rect(row, key="rect"):
    """(left, top, width, height) of a rectangle field."""
    return tuple(int(v) for v in row[key].split(","))


def probe(env, *args, timeout=20, tries=3):
    """Runs the probe; (exit code, rows). A probe that hangs (asking a shell
    that is itself still starting can) is run again."""
    for _ in range(tries):
        try:
            r = env.run([tool("probe")] + [str(a) for a in args], timeout=timeout)
            return r.returncode, parse(r.stdout.decode("ascii", "replace"))
        except subprocess.TimeoutExpired:
            continue
    raise AssertionError(f"the probe hung {tries} times on {args}")


def tree(env, caption=CAPTION):
    """The rows of the window and all its descendants; [] when there is none."""
    rc, rows = probe(env, "tree", caption)
    return rows if rc == 0 else []


def child(rows, class_name=None, caption=None, depth=None):
    """The first child row of that class (any case) and/or caption, or None."""
    for row in rows:
        if row["kind"] != "child":
            continue
        if class_name is not None and row["class"].lower() != class_name.lower():
            continue
        if caption is not None and text(row) != caption:
            continue
        if depth is not None and row["depth"] != str(depth):
            continue
        return row
    return None
