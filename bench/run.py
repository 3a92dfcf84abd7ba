#!/usr/bin/env python3
"""`make bench`: the performance figures of the whole program, each beside a
baseline measured in the same run where one exists, in one table. Asserts
nothing; a figure that misses its aim says "not met".

  PYTHONPATH=tools python3 bench/run.py [--host-build DIR] [--win-build DIR] [--win32-build DIR]
                       [--taps N] [--menu-taps N] [--events N] [--idle-seconds S]
                       [--keystrokes N] [--only memory] [--kestrova-exe EXE]

Every figure measured under Wine is measured on the shipped i686 file
(build/win32) where the setup found that this machine runs 32-bit code, with
the x86_64 twin's figure (build/win64, the same source) beside it from the
same run; elsewhere on the twin alone, and the table says why. What runs, for
each of the two:
  - native: the detector benchmark and the same loop without the detector;
  - a harness Wine environment: the hook timing harness (real injected input
    through the real hook procedure, then through an empty one), the pumped
    wait against a bare Sleep, and the start-up watcher (real Kestrova.exe and
    the empty Win32 program, each started several times);
  - an idle Wine environment, in parallel: Kestrova.exe and the empty program
    left alone for --idle-seconds, after a few keystrokes whose check has fired;
  - a tap Wine environment: Kestrova.exe with the empty program and the empty
    hook host beside it, taps typed into a plain window, then into a window
    with a menu bar at a 100 ms delay;
  - keystrokes (kestrova.keystrokes): Kestrova.exe, then the same program
    built without the watch of its hook, each given --keystrokes keystrokes.
Before all of it, for each of the two: private memory of Kestrova.exe beside
the fair baseline and the empty program, hidden and after show and hide.
"""
import argparse
import json
import math
import os
import statistics
import subprocess
import sys
import threading
import time

from kestrova import keystrokes, procstat
from kestrova import builds as kbuilds
from kestrova.builds import Builds, relative
from kestrova.keys import Helper, Target
from kestrova.names import (CAPTION, EXIT_COMMAND, PROGRAM_KEY, SETTINGS_COMMAND, START_WAIT_MS, TAP, VK_APPS,
                            VK_ESCAPE, VK_RMENU, WM_COMMAND, WM_KEYDOWN, WM_KEYUP, plain)
from kestrova.program import Program
from kestrova.wine import BUILD, WineEnv

MENU_DELAY_MS = 100
SIZE_LIMIT = 512 * 1024
KEYSTROKE_GAP_MS = 10
# 0.15% of one core at 10 keystrokes a second.
WATCH_AIM_US = 150
# The hook comes after a 500 ms wait that begins once the window exists: taps
# sent before this would only load the machine while it starts.
PULSE_AFTER_MS = 400


def note(text):
    print(f"bench: {text}", file=sys.stderr, flush=True)


def quantile(values, q):
    """Nearest rank: the value that q of them do not exceed."""
    values = sorted(values)
    return values[max(0, math.ceil(q * len(values)) - 1)] if values else float("nan")


def fields(line):
    """{key: value} of a `name key=value ...` line, numbers as floats."""
    out = {}
    for part in line.split()[1:]:
        key, _, value = part.partition("=")
        try:
            out[key] = float(value)
        except ValueError:
            out[key] = value
    return out


# -- native ---------------------------------------------------------------------
def google_benchmark(exe):
    r = subprocess.run([exe, "--benchmark_min_time=0.5", "--benchmark_format=json"], check=True,
                       capture_output=True, text=True)
    result = {}
    for b in json.loads(r.stdout)["benchmarks"]:
        scale = {"ns": 1.0, "us": 1e3, "ms": 1e6}[b["time_unit"]]
        result[b["name"]] = b["cpu_time"] * scale
    return result


def native(host_build):
    note("native: ProcessKeyEvent and the bare loop")
    detector = google_benchmark(os.path.join(host_build, "bench", "keymap", "bench_keymap_detector"))
    loop = google_benchmark(os.path.join(host_build, "bench", "whole", "bench_whole_loop"))
    return {"mix": detector["BM_ProcessKeyEvent"], "taps": detector["BM_ProcessKeyEvent_TapsOnly"],
            "loop": loop["BM_ReadEventOnly"]}


# -- idle, in its own Wine environment --------------------------------------------
class Idle(threading.Thread):
    """Kestrova.exe and the empty program left alone; started, then measured
    over `seconds` while the rest of the run goes on elsewhere."""

    def __init__(self, side, seconds):
        super().__init__(daemon=True)
        self.side, self.seconds = side, seconds
        self.ready = threading.Event()
        self.result = None
        self.error = None

    def run(self):
        try:
            with WineEnv() as w:
                kestrova_exe = self.side.exe
                empty_exe = os.path.join(self.side.build, "bench", "whole", "whole_empty.exe")
                kestrova = w.popen([kestrova_exe, "/hidden"], stdout=subprocess.DEVNULL)
                empty = w.popen([empty_exe])
                if empty.stdout.readline().strip() != b"ready":
                    raise RuntimeError("the empty program did not start")
                # The programs' own processes, not start.exe's.
                pids = (procstat.program_pid(w.prefix, kestrova_exe, ["/hidden"]),
                        procstat.program_pid(w.prefix, empty_exe))
                time.sleep(3)  # start-up, its 500 ms wait and the hook
                if kestrova.poll() is not None or not os.path.exists(f"/proc/{pids[0]}"):
                    raise RuntimeError(f"Kestrova ended with {kestrova.returncode}")
                # Keys typed first: the check they arm fires once and is not
                # armed again while nobody types.
                keystrokes.type_keys(w, 20)
                time.sleep(3)
                before = tuple(procstat.Sample(pid) for pid in pids)
                self.ready.set()
                time.sleep(self.seconds)
                after = tuple(procstat.Sample(pid) for pid in pids)
                self.result = {"kestrova": after[0] - before[0], "empty": after[1] - before[1],
                               "threads": after[0].threads}
        except Exception as e:  # reported in the table
            self.error = e
        finally:
            self.ready.set()


# -- the harness environment ----------------------------------------------------------
def harness(side, events, start_runs):
    whole = os.path.join(side.build, "bench", "whole")
    out = {}
    with WineEnv() as w:
        note(f"{side.name}: hook procedure: {events} injected events, empty procedure then KeyboardHookProc")
        r = w.run([os.path.join(whole, "whole_hooktime.exe"), "hook", "--events", str(events)], timeout=600)
        for line in r.stdout.decode("ascii", "replace").splitlines():
            f = fields(line)
            if line.startswith("hook") and "case" in f:
                out["hook_" + f["case"]] = f
            elif line.startswith("hook") and "qpc_frequency" in f:
                out["qpc_frequency"] = f["qpc_frequency"]

        note(f"{side.name}: the pumped wait and a bare Sleep, 500 ms each, 6 times")
        r = w.run([os.path.join(whole, "whole_hooktime.exe"), "wait", "--runs", "6", "--ms", str(START_WAIT_MS)],
                  timeout=120)
        for line in r.stdout.decode("ascii", "replace").splitlines():
            f = fields(line)
            if line.startswith("wait") and "case" in f:
                out["wait_" + f["case"]] = f

        watch = os.path.join(whole, "whole_startwatch.exe")
        note(f"{side.name}: start-up: the empty program and Kestrova.exe, {start_runs} starts each")
        r = w.run([watch, "--caption", "whole_empty", "--runs", str(start_runs), "--",
                   w.wine_path(os.path.join(whole, "whole_empty.exe"))], timeout=300)
        out["start_empty"] = [fields(l) for l in r.stdout.decode("ascii", "replace").splitlines()
                              if l.startswith("start ")]
        r = w.run([watch, "--caption", CAPTION, "--runs", str(start_runs), "--pulse", "--pulse-after",
                   str(PULSE_AFTER_MS), "--exit-command",
                   str(EXIT_COMMAND), "--", w.wine_path(side.exe), "/hidden"],
                  timeout=300)
        out["start_kestrova"] = [fields(l) for l in r.stdout.decode("ascii", "replace").splitlines()
                                 if l.startswith("start ")]
    return out


# -- taps with the real program ---------------------------------------------------------
# In one Wine environment: the empty Win32 program (memory baseline), the empty
# hook host (a hook that only calls the next hook: processor-time baseline), then
# Kestrova.exe /hidden, so that Kestrova's hook is called before the empty one.
# The key target logs, with its own QueryPerformanceCounter clock, what its
# low-level hook and its window see: a tap's latency runs from its hook seeing
# right Alt released to its window getting the Menu key down.
def tap(target, timeout=3.0):
    """Types one tap; a dict of what the target saw, microseconds from its
    hook's sight of right Alt released, or None where nothing came."""
    start = target.mark()
    target.type(TAP)
    release = target.wait_key(start, "hook", WM_KEYUP, VK_RMENU, timeout)
    menu_down = target.wait_key(start, "win", WM_KEYDOWN, VK_APPS, timeout)
    menu_up = target.wait_key(start, "win", WM_KEYUP, VK_APPS, timeout) if menu_down else None
    # The worker's Menu key as the target's own hook saw it: what follows is
    # Wine delivering an injected key, as it would anyone's.
    menu_hook = target.wait_key(start, "hook", WM_KEYDOWN, VK_APPS, 0.5) if menu_down else None
    escape = next((e for e in target.events_after(start, "win") if (plain(e[0]), e[1]) == (WM_KEYDOWN, VK_ESCAPE)),
                  None)
    if not release:
        return None
    at = release[2]
    return {
        "menu_us": menu_down[2] - at if menu_down else None,
        "trip_us": menu_down[2] - menu_hook[2] if menu_down and menu_hook else None,
        "escape_us": escape[2] - at if escape else None,
        "menu_up": menu_up is not None,
    }


def taps(side, plain_taps, menu_taps):
    empty_exe = os.path.join(side.build, "bench", "whole", "whole_empty.exe")
    fair_exe = os.path.join(side.build, "bench", "whole", "whole_fair.exe")
    out = {}
    with WineEnv() as w:
        w.reg_set(PROGRAM_KEY, "Delay", "REG_DWORD", MENU_DELAY_MS)
        empty = Helper(w, [empty_exe])
        empty_hook = Helper(w, [empty_exe, "--hook", "--caption", "whole_empty_hook"])
        fair = w.popen([fair_exe], stdout=subprocess.DEVNULL)
        program = Program(w, "/hidden", exe=side.exe)
        program.wait_hook()
        # The programs' own processes: a loader that cannot run a program
        # itself hands it to start.exe.
        pids = (program.pid(), procstat.windows_pid(empty.proc), procstat.windows_pid(empty_hook.proc),
                procstat.windows_pid(fair))

        def sample():
            """procstat samples of (Kestrova, empty program, empty hook host, fair baseline)."""
            return tuple(procstat.Sample(pid) for pid in pids)

        target = Target(w, caption="bench plain target")
        try:
            time.sleep(0.5)
            note(f"{side.name}: {plain_taps} taps into a plain window")
            samples = {"start": sample()}
            plain_results = []
            for i in range(plain_taps):
                plain_results.append(tap(target))
                if i + 1 == min(100, plain_taps):
                    samples["100"] = sample()
            time.sleep(0.5)  # the last worker ends
            samples["plain"] = sample()
            out["plain"] = plain_results
        finally:
            target.stop()

        note(f"{side.name}: {menu_taps} taps into a window with a menu bar, delay {MENU_DELAY_MS} ms")
        target = Target(w, "--menu", caption="bench menu target")
        try:
            samples["menu_start"] = sample()
            out["menu"] = [tap(target, timeout=3 + MENU_DELAY_MS / 1000) for _ in range(menu_taps)]
            time.sleep(0.5)
            samples["menu"] = sample()
        finally:
            target.stop()
        out["alive"] = program.running()
        empty_hook.stop()
        empty.stop()
    out["samples"] = samples
    return out


# -- memory beside the two baselines ------------------------------------------------------
FAIR_CAPTION = "whole_fair"


def private_by_mapping(pid, own_exe):
    """{mapping: Private_Clean + Private_Dirty in kB} from /proc/<pid>/smaps. A
    file mapping is named by its file name, the program's own exe as "(the
    exe)"; the rest by the kernel's name ([heap], [stack]) or "[anonymous]"."""
    out = {}
    name = None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            head = line.split()
            if head and "-" in head[0] and not head[0].endswith(":"):
                path = line.split(None, 5)[5].strip() if len(head) >= 6 else ""
                base = os.path.basename(path) if path.startswith("/") else path
                name = "(the exe)" if base == own_exe else (base or "[anonymous]")
            elif head and head[0] in ("Private_Clean:", "Private_Dirty:"):
                out[name] = out.get(name, 0) + int(head[1])
    return out


def libraries(mapping):
    return {m for m in mapping if m.lower().endswith((".dll", ".drv", ".so")) or ".so." in m}


def imports(exe):
    """The DLL names in an exe's import table, by objdump."""
    for objdump in ("x86_64-w64-mingw32-objdump", "i686-w64-mingw32-objdump", "objdump"):
        try:
            r = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True)
        except (OSError, subprocess.CalledProcessError):
            continue
        return sorted(l.split(":", 1)[1].strip().lower() for l in r.stdout.splitlines() if "DLL Name:" in l)
    return []


def memory(win_build, probe, kestrova_exe=None, settle_s=3.0, shown_s=2.0):
    """Kestrova.exe /hidden, the fair baseline and the empty program in one Wine
    environment: private memory after start, and after the window of Kestrova
    and of the fair baseline has been shown (and painted) and hidden again."""
    whole = os.path.join(win_build, "bench", "whole")
    exes = {"kestrova": kestrova_exe or os.path.join(win_build, "Kestrova.exe"), "fair": os.path.join(whole, "whole_fair.exe"),
            "empty": os.path.join(whole, "whole_empty.exe")}
    out = {"imports": {k: imports(v) for k, v in exes.items() if k != "empty"}}
    with WineEnv() as w:
        args = {"kestrova": ["/hidden"], "fair": [], "empty": []}
        procs = {k: w.popen([exes[k]] + args[k], stdout=subprocess.PIPE if k == "empty" else subprocess.DEVNULL)
                 for k in exes}

        def window(caption):
            return w.run([probe, "window", caption], timeout=30).returncode == 0

        def toggle(caption):
            w.run([probe, "post", caption, str(WM_COMMAND), str(SETTINGS_COMMAND), "0"], timeout=30)

        if procs["empty"].stdout.readline().strip() != b"ready":
            raise RuntimeError("the empty program did not start")
        deadline = time.monotonic() + 60
        while not (window(CAPTION) and window(FAIR_CAPTION)):
            if time.monotonic() > deadline:
                raise RuntimeError("Kestrova or the fair baseline made no window")
            time.sleep(0.2)
        pids = {k: procstat.program_pid(w.prefix, exes[k], args[k]) for k in exes}
        time.sleep(settle_s)  # Kestrova's 500 ms wait and its hook

        def sample(stage):
            for k, pid in pids.items():
                if not os.path.exists(f"/proc/{pid}"):
                    raise RuntimeError(f"{k} ended")
                out[(stage, k)] = procstat.private_kb(pid)
            for k in ("kestrova", "fair"):
                out[(stage, k, "maps")] = private_by_mapping(pids[k], os.path.basename(exes[k]))

        sample("start")
        for caption in (CAPTION, FAIR_CAPTION):
            toggle(caption)
        time.sleep(shown_s)  # mapped and painted
        out["shown"] = procstat.private_kb(pids["kestrova"])
        for caption in (CAPTION, FAIR_CAPTION):
            toggle(caption)
        time.sleep(1.0)
        sample("shown")
        w.run([probe, "post", CAPTION, str(WM_COMMAND), str(EXIT_COMMAND), "0"], timeout=30)
        w.run([probe, "post", FAIR_CAPTION, str(WM_COMMAND), str(EXIT_COMMAND), "0"], timeout=30)
    return out


def memory_baseline_rows(t, m, build):
    def row(stage, figure, aim_kb):
        k, f, e = m[(stage, "kestrova")], m[(stage, "fair")], m[(stage, "empty")]
        t.add(f"{figure} ({build})", f"{k} kB", f"fair baseline {f} kB; empty program {e} kB",
              f"within {aim_kb / 1024:g} MB of the fair baseline", k - f <= aim_kb,
              f"Kestrova {k - f:+d} kB over the fair baseline, {k - e:+d} kB over the empty program")

    row("start", "private memory after a hidden start", 1024)
    row("shown", "private memory after the window was shown and hidden", 1536)
    t.details.append(f"{build}: while shown, Kestrova {m['shown']} kB")


def accounting(m, build):
    """Lines of the mapping-by-mapping table: what Kestrova holds above the
    fair baseline, after the hidden start and after show and hide."""
    lines = [f"{build}: Kestrova minus the fair baseline, mapping by mapping (private kB, Private_Clean + Private_Dirty of "
             "/proc/<pid>/smaps; rows of at least 8 kB either way):", ""]
    head = ("mapping", "Kestrova", "fair", "difference", "after show+hide: Kestrova", "fair", "difference")
    s_k, s_f = m[("start", "kestrova", "maps")], m[("start", "fair", "maps")]
    h_k, h_f = m[("shown", "kestrova", "maps")], m[("shown", "fair", "maps")]
    names = set(s_k) | set(s_f) | set(h_k) | set(h_f)
    rows = []
    for n in names:
        a, b, c, d = s_k.get(n, 0), s_f.get(n, 0), h_k.get(n, 0), h_f.get(n, 0)
        if abs(a - b) >= 8 or abs(c - d) >= 8:
            rows.append((n, a, b, a - b, c, d, c - d))
    rows.sort(key=lambda r: -max(abs(r[3]), abs(r[6])))
    total = ("all", sum(s_k.values()), sum(s_f.values()), sum(s_k.values()) - sum(s_f.values()),
             sum(h_k.values()), sum(h_f.values()), sum(h_k.values()) - sum(h_f.values()))
    cells = [head] + [tuple(str(c) for c in r) for r in rows + [total]]
    widths = [max(len(r[i]) for r in cells) for i in range(len(head))]
    for n, r in enumerate(cells):
        lines.append("| " + " | ".join(c.ljust(wd) for c, wd in zip(r, widths)) + " |")
        if n == 0:
            lines.append("|" + "|".join("-" * (wd + 2) for wd in widths) + "|")
    only_k = sorted(libraries(h_k) - libraries(h_f))
    only_f = sorted(libraries(h_f) - libraries(h_k))
    lines.append("")
    lines.append(f"libraries mapped by Kestrova only: {', '.join(only_k) or 'none'}; by the fair baseline only: "
                 f"{', '.join(only_f) or 'none'}")
    ki, fi = m["imports"].get("kestrova", []), m["imports"].get("fair", [])
    lines.append(f"imports: {'the same' if ki == fi else 'NOT THE SAME'} ({', '.join(ki)}"
                 f"{'' if ki == fi else '; fair baseline: ' + ', '.join(fi)})")
    return lines


# -- the table --------------------------------------------------------------------------
class Side:
    """One build whose Kestrova.exe is measured under Wine."""

    def __init__(self, name, build, tools):
        self.name, self.build, self.tools = name, build, tools
        self.exe = os.path.join(build, "Kestrova.exe")

    def tool(self, name):
        return os.path.join(self.tools, name + ".exe")


class Table:
    """Rows of figures; a figure measured under Wine has one column per side."""

    def __init__(self, columns=("measured",)):
        self.columns = list(columns)
        self.rows = []
        self.details = []

    def add(self, figure, measured, baseline, aim, met, detail=""):
        verdict = "met" if met else "not met"
        self.rows.append((figure, [measured] + [""] * (len(self.columns) - 1), baseline, aim, verdict))
        if detail:
            self.details.append(f"{figure}: {detail}")

    def failed(self, figure, aim, error):
        self.rows.append((figure, ["not measured"] + [""] * (len(self.columns) - 1), "", aim, "not met"))
        self.details.append(f"{figure}: {error}")

    def merge(self, sides, parts):
        """Rows made side by side: parts[i] is a one-column Table of sides[i]."""
        for rows in zip(*(p.rows for p in parts)):
            baselines = [r[2] for r in rows]
            baseline = baselines[0] if len(set(baselines)) == 1 else "; ".join(
                f"{side.name}: {b}" for side, b in zip(sides, baselines))
            verdicts = [r[4] for r in rows]
            verdict = verdicts[0] if len(set(verdicts)) == 1 else " / ".join(
                f"{side.name} {v}" for side, v in zip(sides, verdicts))
            self.rows.append((rows[0][0], [r[1][0] for r in rows], baseline, rows[0][3], verdict))
        for side, part in zip(sides, parts):
            self.details += [f"({side.name}) {d}" for d in part.details]

    def print(self):
        head = ["figure"] + self.columns + ["baseline, same run", "aim", ""]
        rows = [head] + [[r[0]] + r[1] + [r[2], r[3], r[4]] for r in self.rows]
        widths = [max(len(r[i]) for r in rows) for i in range(len(head))]
        for n, r in enumerate(rows):
            print("| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |")
            if n == 0:
                print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
        if self.details:
            print()
            for d in self.details:
                print(f"- {d}")


def detector_rows(t, n):
    worst = max(n["mix"], n["taps"])
    t.add("ProcessKeyEvent, per event", f"{n['mix']:.2f} ns (taps only {n['taps']:.2f})",
          f"loop alone {n['loop']:.2f} ns", "under 2 ns", worst < 2.0,
          "native, Google Benchmark CPU time; a 16-event typing mix, and taps only")


def hook_rows(t, h):
    real, empty = h.get("hook_real"), h.get("hook_empty")
    if not real or not empty:
        t.failed("hook procedure's own time, worst case", "under 50 µs", "the harness printed nothing")
        return
    t.add(f"hook procedure's own time, worst of {int(real['sent'])} events",
          f"{real['max_us']:.0f} µs (p99 {real['p99_us']:.0f}, median {real['median_us']:.1f})",
          f"empty hook {empty['max_us']:.0f} µs (p99 {empty['p99_us']:.0f}, median {empty['median_us']:.1f})",
          "under 50 µs", real["max_us"] < 50,
          f"keybd_event input through an installed hook, timed around the procedure; {int(real['calls'])} calls "
          f"with the workers' own keys; {int(real['starting_calls'])} calls started a worker: median "
          f"{real['starting_median_us']:.0f} µs, worst {real['starting_max_us']:.0f} µs (empty hook on the same "
          f"events: {empty['starting_median_us']:.0f}, {empty['starting_max_us']:.0f} µs); all other calls p99 "
          f"{real['other_p99_us']:.0f} µs, worst {real['other_max_us']:.0f} µs (empty hook "
          f"{empty['other_p99_us']:.0f}, {empty['other_max_us']:.0f} µs); {int(real['menu_keys'])} Menu keys "
          f"came from the workers; {int(real['unanswered'] + empty['unanswered'])} events unanswered")


def ms_list(values):
    return f"median {statistics.median(values):.2f}, p99 {quantile(values, 0.99):.2f} ms"


def latency_rows(t, tp):
    plain = [r for r in tp["plain"] if r and r["menu_us"] is not None]
    missed = len(tp["plain"]) - len(plain)
    menu = [r["menu_us"] / 1000 for r in plain]
    trip = [r["trip_us"] / 1000 for r in plain if r["trip_us"] is not None]
    if menu:
        t.add("tap to Menu key, plain window", ms_list(menu),
              f"Menu key's own trip: {ms_list(trip)}" if trip else "",
              "median under 5 ms", statistics.median(menu) < 5 and missed == 0,
              f"{len(menu)} taps, {missed} without a Menu key, worst {max(menu):.2f} ms; from the target's hook "
              f"seeing right Alt released to its window getting the Menu key down; the Menu key's own trip is "
              f"the part from the target's hook seeing the injected key to its window getting it, which any "
              f"injected key takes")
    else:
        t.failed("tap to Menu key, plain window", "median under 5 ms", "no Menu key came")

    qual = [r for r in tp["menu"] if r and r["menu_us"] is not None]
    missed = len(tp["menu"]) - len(qual)
    no_escape = sum(1 for r in qual if r["escape_us"] is None or r["escape_us"] > r["menu_us"])
    over = [r["menu_us"] / 1000 - MENU_DELAY_MS for r in qual]
    escape = [r["escape_us"] / 1000 - MENU_DELAY_MS for r in qual if r["escape_us"] is not None]
    trip = [r["trip_us"] / 1000 for r in qual if r["trip_us"] is not None]
    if over:
        t.add(f"tap to Menu key, menu-bar window, minus the {MENU_DELAY_MS} ms delay", ms_list(over),
              f"Menu key's own trip: {ms_list(trip)}" if trip else "",
              "under 20 ms (median)", statistics.median(over) < 20 and missed == 0 and no_escape == 0,
              f"{len(over)} taps, {missed} without a Menu key, {no_escape} without Escape before it, worst "
              f"{max(over):.2f} ms; Escape reached the window at the delay plus "
              f"{statistics.median(escape) if escape else float('nan'):.2f} ms (median)")
    else:
        t.failed("tap to Menu key, menu-bar window, minus the delay", "under 20 ms", "no Menu key came")


def cpu_rows(t, tp, plain_taps, menu_taps):
    s = tp["samples"]
    k_plain = (s["plain"][0].cpu_ms - s["start"][0].cpu_ms) / plain_taps
    hook_plain = (s["plain"][2].cpu_ms - s["start"][2].cpu_ms) / plain_taps
    k_menu = (s["menu"][0].cpu_ms - s["menu_start"][0].cpu_ms) / menu_taps
    hook_menu = (s["menu"][2].cpu_ms - s["menu_start"][2].cpu_ms) / menu_taps
    wake = (s["plain"][0].wakeups - s["start"][0].wakeups) / plain_taps
    hook_wake = (s["plain"][2].wakeups - s["start"][2].wakeups) / plain_taps
    t.add(f"processor time per tap: plain; menu bar at {MENU_DELAY_MS} ms", f"{k_plain:.2f} ms; {k_menu:.2f} ms",
          f"empty hook {hook_plain:.2f} ms; {hook_menu:.2f} ms", "under 2 ms; under 5 ms",
          k_plain < 2 and k_menu < 5,
          f"utime+stime of the Wine process over {plain_taps} and {menu_taps} taps (one tick "
          f"{procstat.TICK_MS:.0f} ms, so {procstat.TICK_MS / plain_taps:.2f} and {procstat.TICK_MS / menu_taps:.2f} "
          f"ms per tap); the empty hook host saw the same taps; wake-ups per plain tap "
          f"{wake:.0f}, empty hook host {hook_wake:.0f}; Kestrova running at the end: {tp['alive']}")


def wait_rows(t, h):
    pumped, sleep = h.get("wait_pumped"), h.get("wait_sleep")
    if not pumped or not sleep:
        t.failed("processor time of the start-up wait", "under 5% of 500 ms", "the harness printed nothing")
        return
    runs = pumped["runs"]
    per = pumped["cpu_ms"] / runs
    t.add("processor time of the start-up wait", f"{per:.1f} ms of 500 ({100 * per / START_WAIT_MS:.1f}%)",
          f"Sleep(500) {sleep['cpu_ms'] / sleep['runs']:.1f} ms", "under 5% of 500 ms",
          per < 0.05 * START_WAIT_MS,
          f"DelayWithEvents(500) on a UI thread that owns a window, {int(runs)} times, thread times by "
          f"GetThreadTimes (Wine counts them in 10 ms steps: {10 / runs:.1f} ms per wait)")


def idle_rows(t, idle, seconds):
    if idle.error or not idle.result:
        t.failed(f"processor use while idle for {seconds} s", "0", idle.error or "no result")
        return
    k_cpu, k_run, k_wake = idle.result["kestrova"]
    e_cpu, e_run, e_wake = idle.result["empty"]
    t.add(f"processor use while idle for {seconds} s", f"{k_run:.3f} ms, {k_wake} wake-ups",
          f"empty program {e_run:.3f} ms, {e_wake} wake-ups", "0: no timer, no polling",
          k_cpu == 0 and k_wake <= e_wake,
          f"started /hidden, hook in place, {idle.result['threads']} thread(s); run time from schedstat (ns), "
          f"wake-ups = context switches of its threads; by ticks {k_cpu:.0f} ms")


def memory_rows(t, tp, plain_taps):
    s = tp["samples"]
    k0, e0, f0 = s["start"][0].private_kb, s["start"][1].private_kb, s["start"][3].private_kb
    k100 = s["100"][0].private_kb
    k1, e1, f1 = s["plain"][0].private_kb, s["plain"][1].private_kb, s["plain"][3].private_kb
    km = s["menu"][0].private_kb
    steady = k1 - k100
    t.add(f"private memory before and after {plain_taps} taps", f"{k0} kB; {k1} kB",
          f"fair baseline {f0} kB; {f1} kB; empty program {e0} kB; {e1} kB", "no growth",
          steady <= 0,
          f"Kestrova {k1 - f1:+d} kB over the fair baseline and {k1 - e1:+d} kB over the empty program after the "
          f"taps; {k100} kB after 100 taps ({steady:+d} kB over the next {plain_taps - 100}), {km} kB after the "
          f"menu-bar taps; Private_Clean + Private_Dirty of smaps_rollup")


def start_rows(t, h):
    empty = [r["window_ms"] for r in h.get("start_empty", [])[1:] if r["window_ms"] >= 0]
    runs = h.get("start_kestrova", [])[1:]
    hooked = [r for r in runs if r["hook_ms"] >= 0]
    if not empty or not hooked:
        t.failed("start to hook installed", "500 ms plus under 100 ms", "the watcher saw no window or no hook")
        return
    launch_hook = statistics.median(r["hook_ms"] for r in hooked)
    launch_window = statistics.median(r["window_ms"] for r in hooked)
    window_hook = statistics.median(r["hook_ms"] - r["window_ms"] for r in hooked)
    base = statistics.median(empty)
    period = statistics.median(r["pulse_period_ms"] for r in hooked)
    beyond = launch_hook - base - START_WAIT_MS
    exits = sorted({int(r["exit"]) for r in runs})
    too_late = sum(1 for r in hooked if r["pulses"] <= 1)
    t.add("start to hook installed", f"500 ms plus {beyond:.0f} ms",
          f"empty program shows its window {base:.0f} ms after launch", "500 ms plus under 100 ms", beyond < 100,
          f"median of {len(hooked)} of {len(runs)} starts (one more start of each warmed the prefix); launch to "
          f"window {launch_window:.0f} ms, window to hook {window_hook:.0f} ms, launch to hook {launch_hook:.0f} ms, "
          f"less the empty program's launch to window; hook seen working by a tap every {period:.1f} ms (from "
          f"{PULSE_AFTER_MS} ms after the window on) giving its first Menu key; {too_late} starts answered the "
          f"very first tap (then the hook was in place earlier); Kestrova started /hidden, ended by its tray "
          f"menu's exit command, exit codes {exits}")


def size_rows(t, win32_build):
    exe = os.path.join(win32_build, "Kestrova.exe")
    empty = os.path.join(win32_build, "bench", "whole", "whole_empty.exe")
    if not os.path.exists(exe):
        t.failed("size of build/win32/Kestrova.exe", "under 512 KB", f"{exe} is missing")
        return
    size = os.path.getsize(exe)
    base = f"empty program {os.path.getsize(empty) / 1024:.1f} KB" if os.path.exists(empty) else ""
    t.add("size of build/win32/Kestrova.exe", f"{size / 1024:.1f} KB", base, "under 512 KB", size < SIZE_LIMIT,
          f"{size} bytes")


def sides_to_measure(win_build, win32_build):
    """The shipped file first where it runs here, then the twin; and why."""
    builds = Builds(shipped=os.path.join(win32_build, "Kestrova.exe"), twin=os.path.join(win_build, "Kestrova.exe"))
    twin = Side(f"{relative(win_build)} (x86_64 twin)", win_build, os.path.join(win_build, "tests", "e2e", "tools"))
    if builds.is_shipped():
        return [Side(f"{relative(win32_build)} (i686, shipped)", win32_build, builds.tools), twin], \
            f"the shipped file and its twin, each in its own Wine environments: {builds.why}"
    return [twin], f"the twin only, not the shipped file: {builds.why}"


def measure(side, a):
    """Every figure under Wine of one side, into a one-column Table."""
    kbuilds.use(side.exe, side.tools, side.name)
    t = Table()
    idle = Idle(side, a.idle_seconds)
    idle.start()
    idle.ready.wait(120)
    note(f"{side.name}: idle: {a.idle_seconds} s under way in a Wine environment of its own")

    h = {}
    try:
        h = harness(side, a.events, a.start_runs)
    except (OSError, subprocess.SubprocessError, RuntimeError) as e:
        note(f"{side.name}: harness failed: {e}")
    hook_rows(t, h)

    tp, tap_error = None, None
    try:
        tp = taps(side, a.taps, a.menu_taps)
    except (OSError, subprocess.SubprocessError, RuntimeError, TimeoutError) as e:
        tap_error = f"the tap run failed: {e}"
    if tp:
        latency_rows(t, tp)
        cpu_rows(t, tp, a.taps, a.menu_taps)
    else:
        t.failed("tap to Menu key, plain window", "median under 5 ms", tap_error)
        t.failed("tap to Menu key, menu-bar window, minus the delay", "under 20 ms", tap_error)
        t.failed("processor time per tap", "under 2 ms; under 5 ms", tap_error)

    wait_rows(t, h)
    idle.join(a.idle_seconds + 120)
    idle_rows(t, idle, a.idle_seconds)
    if tp:
        memory_rows(t, tp, a.taps)
    else:
        t.failed("private memory before and after the taps", "no growth", tap_error)
    start_rows(t, h)

    note(f"{side.name}: keystrokes: {a.keystrokes} into Kestrova.exe, then into the build without the watch")
    try:
        keystrokes.rows(t, keystrokes.measure(side.build, a.keystrokes, KEYSTROKE_GAP_MS), a.keystrokes,
                        KEYSTROKE_GAP_MS, WATCH_AIM_US)
    except (OSError, subprocess.SubprocessError, RuntimeError, TimeoutError) as e:
        t.failed("processor time per keystroke, with the hook's watch", f"the watch adds under {WATCH_AIM_US} µs",
                 f"the keystroke run failed: {e}")
    return t, h


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--host-build", default=os.path.join(BUILD, "host"))
    p.add_argument("--win-build", default=os.path.join(BUILD, "win64"))
    p.add_argument("--win32-build", default=os.path.join(BUILD, "win32"))
    p.add_argument("--taps", type=int, default=500)
    p.add_argument("--menu-taps", type=int, default=100)
    p.add_argument("--events", type=int, default=10000)
    p.add_argument("--start-runs", type=int, default=6, help="the first start of each program warms the prefix "
                   "and is left out")
    p.add_argument("--idle-seconds", type=int, default=30)
    p.add_argument("--only", choices=["memory"], help="run one section alone")
    p.add_argument("--kestrova-exe", help="measure this Kestrova.exe in the memory section (an older build, say); "
                   "its baselines stay those of --win-build")
    p.add_argument("--keystrokes", type=int, default=1000)
    a = p.parse_args()
    a.taps = max(a.taps, 100)
    a.start_runs = max(a.start_runs, 2)
    began = time.monotonic()
    sides, why = sides_to_measure(a.win_build, a.win32_build)
    note(f"measuring {why}")

    # Private memory of each Kestrova.exe beside the baselines built with it.
    memory_table = Table([s.name for s in sides])
    memories = []
    for side in sides:
        kbuilds.use(side.exe, side.tools, side.name)
        try:
            note(f"memory, {side.name}: Kestrova /hidden, the fair baseline and the empty program; then shown and "
                 f"hidden")
            m = memory(side.build, side.tool("probe"), a.kestrova_exe if side.build == a.win_build else None)
            memory_baseline_rows(memory_table, m, side.name)
            memories.append((m, side.name))
        except (OSError, subprocess.SubprocessError, RuntimeError) as e:
            memory_table.failed(f"private memory after a hidden start ({side.name})",
                                "within 1 MB of the fair baseline", e)
    if a.only == "memory":
        print()
        memory_table.print()
        for m, build in memories:
            print("\n" + "\n".join(accounting(m, build)))
        return

    native_table = Table([s.name for s in sides])
    try:
        detector_rows(native_table, native(a.host_build))
    except (OSError, subprocess.CalledProcessError, KeyError, ValueError) as e:
        native_table.failed("ProcessKeyEvent, per event", "under 2 ns", e)

    parts, harnesses = [], []
    for side in sides:
        part, h = measure(side, a)
        parts.append(part)
        harnesses.append(h)

    t = Table([s.name for s in sides])
    t.rows += native_table.rows
    t.details += native_table.details
    t.merge(sides, parts)
    t.rows += memory_table.rows
    t.details += memory_table.details
    size_rows(t, a.win32_build)

    note(f"done in {time.monotonic() - began:.0f} s")
    print()
    t.print()
    for m, build in memories:
        print("\n" + "\n".join(accounting(m, build)))
    qpc = harnesses[0].get("qpc_frequency", 0) / 1e6
    print(f"- Under Wine 8, on a machine others share; measured: {why}. Native rows (the detector), the "
          f"memory rows that name their build and the size are one figure each, in the first column. Hook times by QueryPerformanceCounter at {qpc:.0f} MHz; "
          f"latencies by the key target's own QueryPerformanceCounter clock.")


if __name__ == "__main__":
    main()
