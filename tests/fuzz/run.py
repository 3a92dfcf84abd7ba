#!/usr/bin/env python3
"""`make fuzz`: runs every fuzz_* program of the fuzz build for a bounded time
each and prints one table of target, executions and result. Builds nothing.

  python3 tests/fuzz/run.py [--build DIR] [--seconds N]

FUZZ_SECONDS overrides the default 30 s per target. A target's seed corpus is
the directory beside its source named <name>_corpus, corpus/<name>,
<name>_seeds or seeds/<name>, where <name> is the target's name without
"fuzz_" or a leading part of it ("png_seeds" serves fuzz_png_decode); a
<part>.dict file there is passed as the dictionary. The seeds are only read:
what libFuzzer learns goes to a working corpus under the build directory, and
a crashing input to an artifact there. The exit code is 1 when any target
failed.
"""
import argparse
import glob
import os
import re
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


def targets(build):
    """Paths of the fuzz_* executables under build, by name."""
    found = {}
    for dirpath, dirnames, filenames in os.walk(build):
        dirnames[:] = [d for d in dirnames if d != "CMakeFiles" and not d.startswith("fuzz-work")]
        for f in filenames:
            path = os.path.join(dirpath, f)
            if f.startswith("fuzz_") and "." not in f and os.access(path, os.X_OK):
                found.setdefault(f, path)
    return dict(sorted(found.items()))


def name_parts(target):
    """The target's name without fuzz_, then ever shorter leading parts of it."""
    tokens = target[len("fuzz_"):].split("_")
    return ["_".join(tokens[:k]) for k in range(len(tokens), 0, -1)]


def seeds_and_dict(target):
    sources = glob.glob(os.path.join(HERE, "**", target + ".cpp"), recursive=True)
    if not sources:
        return None, None
    beside = os.path.dirname(sources[0])
    corpus = dictionary = None
    for part in name_parts(target):
        for candidate in (f"{part}_corpus", os.path.join("corpus", part), f"{part}_seeds",
                          os.path.join("seeds", part)):
            path = os.path.join(beside, candidate)
            if corpus is None and os.path.isdir(path) and os.listdir(path):
                corpus = path
        if dictionary is None and os.path.isfile(os.path.join(beside, part + ".dict")):
            dictionary = os.path.join(beside, part + ".dict")
    return corpus, dictionary


def run_one(target, exe, seconds, work):
    corpus, dictionary = seeds_and_dict(target)
    work_corpus = os.path.join(work, target, "corpus")
    artifacts = os.path.join(work, target, "artifacts") + os.sep
    os.makedirs(work_corpus, exist_ok=True)
    os.makedirs(artifacts, exist_ok=True)
    # The working corpus first: libFuzzer writes new inputs to the first
    # directory only, so the seeds in the source tree stay as they are.
    cmd = [exe, work_corpus] + ([corpus] if corpus else []) + [
        f"-max_total_time={seconds}", "-print_final_stats=1", f"-artifact_prefix={artifacts}"]
    if dictionary:
        cmd.append(f"-dict={dictionary}")
    log_path = os.path.join(work, target, "log.txt")
    began = time.monotonic()
    with open(log_path, "wb") as log:
        # Well past max_total_time: a hung input ends the run as a failure.
        try:
            rc = subprocess.run(cmd, stdout=log, stderr=subprocess.STDOUT, timeout=seconds + 300).returncode
        except subprocess.TimeoutExpired:
            rc = None
    elapsed = time.monotonic() - began
    with open(log_path, "rb") as log:
        text = log.read().decode("utf-8", "replace")

    executions = None
    m = re.search(r"stat::number_of_executed_units:\s*(\d+)", text) or re.search(r"Done (\d+) runs", text)
    if m:
        executions = int(m.group(1))
    if rc == 0:
        result = "ok"
    else:
        reason = re.search(r"(?:==\d+==)?ERROR: (?:libFuzzer|AddressSanitizer|UndefinedBehaviorSanitizer|"
                           r"LeakSanitizer): ([^\n]*)", text) or re.search(r"runtime error: ([^\n]*)", text)
        written = re.search(r"Test unit written to (\S+)", text)
        result = "FAILED" + (" (hung)" if rc is None else f" (exit {rc})")
        if reason:
            result += f": {reason.group(1).strip()[:80]}"
        if written:
            result += f"; input {os.path.relpath(written.group(1), ROOT)}"
        result += f"; log {os.path.relpath(log_path, ROOT)}"
    return {
        "target": target,
        "seeds": os.path.relpath(corpus, ROOT) if corpus else "none",
        "seconds": elapsed,
        "executions": executions,
        "result": result,
        "ok": rc == 0,
    }


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--build", default=os.path.join(ROOT, "build", "fuzz"))
    p.add_argument("--seconds", type=int, default=int(os.environ.get("FUZZ_SECONDS", "30")))
    a = p.parse_args()
    found = targets(a.build)
    if not found:
        print(f"no fuzz_* programs under {a.build}: build the fuzz preset first", file=sys.stderr)
        return 1
    work = os.path.join(a.build, "fuzz-work")
    rows = []
    for target, exe in found.items():
        print(f"fuzz: {target}, {a.seconds} s", file=sys.stderr, flush=True)
        rows.append(run_one(target, exe, a.seconds, work))

    head = ("target", "seed corpus", "seconds", "executions", "per second", "result")
    table = [head] + [(r["target"], r["seeds"], f"{r['seconds']:.0f}",
                       "?" if r["executions"] is None else str(r["executions"]),
                       "?" if r["executions"] is None else f"{r['executions'] / max(r['seconds'], 1e-9):.0f}",
                       r["result"]) for r in rows]
    widths = [max(len(row[i]) for row in table) for i in range(len(head))]
    print()
    for n, row in enumerate(table):
        print("| " + " | ".join(c.ljust(w) for c, w in zip(row, widths)) + " |")
        if n == 0:
            print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    return 0 if all(r["ok"] for r in rows) else 1


if __name__ == "__main__":
    sys.exit(main())
