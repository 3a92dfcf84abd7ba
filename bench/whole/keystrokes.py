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

from wineenv import WineEnv
import procstat

VK_F15 = 0x7E
CHECK_S = 1.5  # longer than the watchdog's one-second check


class KeyBurst:
    """keyburst.exe in a Wine environment: one command, one answer line."""

    def __init__(self, env, win_build):
        self.proc = env.popen([os.path.join(win_build, "tests", "e2e", "tools", "keyburst.exe")],
                              stdin=subprocess.PIPE)
        if self.proc.stdout.readline().strip() != b"ready":
            self.close()
            raise RuntimeError("keyburst did not start")

    def command(self, line):
        self.proc.stdin.write(line.encode() + b"\n")
        self.proc.stdin.flush()
        answer = self.proc.stdout.readline().decode("ascii", "replace").strip()
        if not answer:
            raise RuntimeError(f"keyburst ended on {line!r}")
        return answer

    def wait_hook(self, program, timeout=60):
        """Right-Alt sequences until one brings a Menu key back."""
        deadline = time.monotonic() + timeout
        while not self.command("burst 1 0 paced").endswith("unanswered 0"):
            if program.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("the program's hook never answered")

    def close(self):
        # Asked to end, not killed: a process killed while it holds a
        # low-level hook leaves the other processes' hooks uncalled.
        try:
            self.proc.stdin.write(b"quit\n")
            self.proc.stdin.close()
            self.proc.wait(timeout=15)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()


def type_keys(win_build, env, count):
    """count keystrokes into env, 20 ms apart."""
    burst = KeyBurst(env, win_build)
    try:
        burst.command(f"keys {count} {VK_F15} 20")
    finally:
        burst.close()


def _measure(win_build, exe, keystrokes, gap_ms):
    with WineEnv() as w:
        program = w.popen([exe, "/hidden"], stdout=subprocess.DEVNULL)
        burst = KeyBurst(w, win_build)
        try:
            burst.wait_hook(program)
            time.sleep(CHECK_S)
            pid = procstat.windows_pid(program)
            before = procstat.Sample(pid)
            burst.command(f"keys {keystrokes} {VK_F15} {gap_ms}")
            time.sleep(CHECK_S)
            after = procstat.Sample(pid)
            alive = program.poll() is None
        finally:
            burst.close()
    cpu_ms, run_ms, wakeups = after - before
    return {"cpu_ms": cpu_ms, "run_ms": run_ms, "wakeups": wakeups, "alive": alive}


def measure(win_build, keystrokes, gap_ms):
    """{"watched": figures, "unwatched": figures} for one run."""
    return {
        "watched": _measure(win_build, os.path.join(win_build, "Kestrova.exe"), keystrokes, gap_ms),
        "unwatched": _measure(win_build, os.path.join(win_build, "bench", "whole", "whole_unwatched.exe"),
                              keystrokes, gap_ms),
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
