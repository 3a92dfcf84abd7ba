#!/usr/bin/env python3
"""Prints the banner picture's figures; asserts nothing.

  PYTHONPATH=tools python3 bench/app/run_banner.py [--host-build DIR] [--win-build DIR]

1. Decoding the shipped picture and blending it, native (Google Benchmark).
2. Decode and paint times under Wine: first paint (blend), cached paints, and
   a paint after the button-face colour changed.
3. Sizes: the PNG, and the shipped 32-bit Kestrova.exe when it is built.
"""
import argparse
import os
import subprocess
import sys

from kestrova.wine import BUILD, ROOT, WineEnv


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--host-build", default=os.path.join(BUILD, "host"))
    parser.add_argument("--win-build", default=os.path.join(BUILD, "win64"))
    parser.add_argument("--win32-build", default=os.path.join(BUILD, "win32"))
    args = parser.parse_args()

    print("== Decode and blend of the 2148 x 971 banner (native)")
    subprocess.run([os.path.join(args.host_build, "bench", "app", "bench_banner_image"),
                    "--benchmark_min_time=0.5"], check=True)

    print(f"\n== Banner decode and paint under Wine ({os.path.relpath(args.win_build, ROOT)}, 400 x 80 box)")
    with WineEnv() as w:
        r = w.run([os.path.join(args.win_build, "bench", "app", "bench_banner_paint.exe")], timeout=300)
        sys.stdout.write(r.stdout.decode("ascii", "replace"))

    print("\n== Sizes")
    print(f"res/banner.png: {os.path.getsize(os.path.join(ROOT, 'res', 'banner.png'))} bytes")
    exe = os.path.join(args.win32_build, "Kestrova.exe")
    if os.path.exists(exe):
        print(f"Kestrova.exe (i686): {os.path.getsize(exe)} bytes")


if __name__ == "__main__":
    main()
