#!/usr/bin/env python3
"""Prints the key remapping's figures; asserts nothing.

  python3 bench/keymap/run.py [--host-build DIR] [--win-build DIR] [--taps N]

1. ProcessKeyEvent per event, native (Google Benchmark).
2. Processor time of the pumped wait as a share of wall time, under Wine.
3. Tap to Menu under Wine: from the target's hook seeing the tap's release
   (WM_KEYUP, right Alt) to its window's key-down of VK_APPS, plain window.
   The program under test is KESTROVA_HOOK_EXE (+ KESTROVA_HOOK_ARGS), by
   default the hook host of the Windows build.
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, os.path.join(ROOT, "tools"))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e", "keymap"))
from wineenv import WineEnv  # noqa: E402


def detector(host_build):
    exe = os.path.join(host_build, "bench", "keymap", "bench_keymap_detector")
    print("== ProcessKeyEvent per event (native; aim: under 2 ns)")
    subprocess.run([exe, "--benchmark_min_time=0.5"], check=True)


def wait_share(win_build):
    exe = os.path.join(win_build, "bench", "keymap", "bench_keymap_wait.exe")
    print("\n== Processor time of the pumped wait under Wine (aim: under 5%; Wine counts thread time in 10 ms steps)")
    with WineEnv() as w:
        r = w.run([exe], timeout=120)
        sys.stdout.write(r.stdout.decode("ascii", "replace"))


def tap_to_menu(win_build, taps):
    from keyrun import TAP, VK_APPS, VK_RMENU, WM_KEYDOWN, WM_KEYUP, KeyRun, plain
    tools = os.path.join(win_build, "tests", "e2e", "tools")
    os.environ.setdefault("KESTROVA_HOOK_EXE", os.path.join(tools, "hookhost.exe"))
    os.environ.setdefault("KESTROVA_KEYTARGET_EXE", os.path.join(tools, "keytarget.exe"))
    print(f"\n== Tap to Menu under Wine, plain window, {taps} taps (aim: median under 5 ms)")
    latencies, missed = [], 0
    with KeyRun() as run:
        target = run.start_target(caption="bench target")
        try:
            for _ in range(taps):
                mark = target.mark()
                run.type(TAP)
                try:
                    menu = target.wait_menu_key(mark, timeout=5)
                except TimeoutError:
                    missed += 1
                    continue
                release = [us for m, k, us in target.hook_events_after(mark) if (m, k) == (WM_KEYUP, VK_RMENU)]
                if release:
                    latencies.append((menu[2] - release[0]) / 1000)
                time.sleep(0.15)
        finally:
            target.stop()
    if latencies:
        print(f"{'taps':>6} {'median ms':>10} {'worst ms':>9} {'best ms':>8} {'missed':>7}")
        print(f"{len(latencies):>6} {statistics.median(latencies):>10.2f} {max(latencies):>9.2f} "
              f"{min(latencies):>8.2f} {missed:>7}")
    else:
        print(f"no Menu key arrived ({missed} taps missed)")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--host-build", default=os.path.join(ROOT, "build", "host"))
    p.add_argument("--win-build", default=os.path.join(ROOT, "build", "win64"))
    p.add_argument("--taps", type=int, default=50)
    a = p.parse_args()
    detector(a.host_build)
    wait_share(a.win_build)
    tap_to_menu(a.win_build, a.taps)


if __name__ == "__main__":
    main()
