#!/usr/bin/env python3
"""Prints the key remapping's figures; asserts nothing.

  PYTHONPATH=tools python3 bench/keymap/run.py [--host-build DIR] [--win-build DIR] [--taps N]

1. ProcessKeyEvent per event, native (Google Benchmark).
2. Processor time of the pumped wait as a share of wall time, under Wine.
3. Tap to Menu under Wine: from the target's hook seeing the tap's release
   (WM_KEYUP, right Alt) to its window's key-down of VK_APPS, plain window.
   The program under test is the hook host of the Windows build
   (tests/e2e/tools/hookhost.exe), or --hook-exe with --hook-args.
"""
import argparse
import os
import shlex
import statistics
import subprocess
import sys
import time

from kestrova.builds import Builds
from kestrova.keys import Helper, Target
from kestrova.names import TAP, VK_RMENU, WM_KEYUP
from kestrova.wine import BUILD, WineEnv


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


def tap_to_menu(win_build, taps, hook_exe, hook_args):
    builds = Builds(twin=os.path.join(win_build, "Kestrova.exe"))
    print(f"\n== Tap to Menu under Wine, plain window, {taps} taps (aim: median under 5 ms)")
    latencies, missed = [], 0
    with WineEnv() as w:
        hook = Helper(w, [hook_exe or builds.tool("hookhost")] + shlex.split(hook_args), ready="hooked")
        target = Target(w, caption="bench target")
        try:
            for _ in range(taps):
                mark = target.mark()
                target.type(TAP)
                try:
                    menu = target.wait_menu_key(mark, timeout=5)
                except TimeoutError:
                    missed += 1
                    continue
                release = [us for m, k, us in target.events_after(mark, "hook") if (m, k) == (WM_KEYUP, VK_RMENU)]
                if release:
                    latencies.append((menu[2] - release[0]) / 1000)
                time.sleep(0.15)
        finally:
            target.stop()
            hook.stop()
    if latencies:
        print(f"{'taps':>6} {'median ms':>10} {'worst ms':>9} {'best ms':>8} {'missed':>7}")
        print(f"{len(latencies):>6} {statistics.median(latencies):>10.2f} {max(latencies):>9.2f} "
              f"{min(latencies):>8.2f} {missed:>7}")
    else:
        print(f"no Menu key arrived ({missed} taps missed)")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--host-build", default=os.path.join(BUILD, "host"))
    p.add_argument("--win-build", default=os.path.join(BUILD, "win64"))
    p.add_argument("--taps", type=int, default=50)
    p.add_argument("--hook-exe", help="a program that installs the hook and prints `hooked`")
    p.add_argument("--hook-args", default="", help="its arguments, split as a shell would")
    a = p.parse_args()
    detector(a.host_build)
    wait_share(a.win_build)
    tap_to_menu(a.win_build, a.taps, a.hook_exe, a.hook_args)


if __name__ == "__main__":
    main()
