"""What the watch of the hook costs per keystroke: Kestrova.exe against the same
program built without the watch (whole_unwatched.exe, bench-only: its raw
input and session notifications are never registered, so no WM_INPUT and no
check), one after the other in one run, each in a Wine environment of its own.

Each program is started /hidden; its hook counts as in place once a right-Alt
sequence injected by keyburst brings a Menu key back. Then keyburst injects
N keystrokes (SendInput, a key that means nothing, GAP ms apart); they pass
through the hook and, in the shipped program, reach the window as raw input
and arm the one-second checks. Processor time is the program's threads' run
time from schedstat, over the keystrokes and the last check after them.
"""
import os
import subprocess
import time

from kestrova import procstat
from kestrova.keys import Injector
from kestrova.names import VK_F15
from kestrova.wine import WineEnv

CHECK_S = 1.5  # longer than the watchdog's one-second check


def keys(injector, count, vk, gap_ms):
    """count presses and releases of vk injected gap_ms apart; waits for them."""
    injector.command(f"keys {count} {vk} {gap_ms}", "sent keys", timeout=60 + count * gap_ms / 1000)


def type_keys(env, count):
    """count keystrokes into env, 20 ms apart."""
    injector = Injector(env)
    try:
        keys(injector, count, VK_F15, 20)
    finally:
        injector.stop()


def _measure(exe, keystrokes, gap_ms):
    with WineEnv() as w:
        program = w.popen([exe, "/hidden"], stdout=subprocess.DEVNULL)
        injector = Injector(w)
        try:
            injector.wait_hook_ready(lambda: program.poll() is None, timeout=60)
            time.sleep(CHECK_S)
            pid = procstat.windows_pid(program)
            before = procstat.Sample(pid)
            keys(injector, keystrokes, VK_F15, gap_ms)
            time.sleep(CHECK_S)
            after = procstat.Sample(pid)
            alive = program.poll() is None
        finally:
            injector.stop()
    cpu_ms, run_ms, wakeups = after - before
    return {"cpu_ms": cpu_ms, "run_ms": run_ms, "wakeups": wakeups, "alive": alive}


def measure(win_build, keystrokes, gap_ms):
    """{"watched": figures, "unwatched": figures} for one run."""
    return {
        "watched": _measure(os.path.join(win_build, "Kestrova.exe"), keystrokes, gap_ms),
        "unwatched": _measure(os.path.join(win_build, "bench", "whole", "whole_unwatched.exe"), keystrokes, gap_ms),
    }


def rows(table, result, keystrokes, gap_ms, aim_us):
    """Adds the row to the bench table (bench/run.py's Table)."""
    figure = "processor time per keystroke, with the hook's watch"
    watched, unwatched = result["watched"], result["unwatched"]
    per_us = 1000 * watched["run_ms"] / keystrokes
    base_us = 1000 * unwatched["run_ms"] / keystrokes
    table.add(figure, f"{per_us:.1f} µs, {watched['wakeups'] / keystrokes:.2f} wake-ups",
              f"without the watch {base_us:.1f} µs, {unwatched['wakeups'] / keystrokes:.2f} wake-ups",
              f"the watch adds under {aim_us} µs", per_us - base_us < aim_us and watched["alive"],
              f"{keystrokes} keystrokes (press and release) injected {gap_ms} ms apart into each program, then "
              f"{CHECK_S} s for the last check; run time of its threads from schedstat; by ticks "
              f"{watched['cpu_ms']:.0f} ms with the watch, {unwatched['cpu_ms']:.0f} ms without; the watch adds "
              f"{per_us - base_us:.1f} µs per keystroke; 'without' is a bench-only build of the same sources with "
              f"the registration of raw input and session notifications left out")
