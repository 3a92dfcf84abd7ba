"""Copies the settings test program into a folder whose full path is longer
than 260 characters and runs its program-path tests from there under Wine."""
import os
import shutil
import subprocess
import sys


def main():
    exe = os.path.abspath(sys.argv[1])
    folder = os.path.join(os.path.dirname(exe), "long-path")
    while len(folder) < 300:
        folder = os.path.join(folder, "a-folder-with-a-rather-long-name")
    os.makedirs(folder, exist_ok=True)
    copy = os.path.join(folder, os.path.basename(exe))
    shutil.copy2(exe, copy)
    env = dict(os.environ, KESTROVA_EXPECT_LONG_PATH="1")
    sys.exit(subprocess.call([sys.executable, "-m", "kestrova.winrun", copy, "--gtest_filter=ProgramPathOnWine.*"],
                             env=env))


if __name__ == "__main__":
    main()
