"""The harness shared by the end-to-end tests, the tools and the benchmarks.

Run with PYTHONPATH set to the repository's tools/ folder (CMake's test
commands and the Makefile set it once); nothing here changes sys.path.

  wine      a private Xvfb and WINEPREFIX per run (WineEnv), wait_until
  names     the program's captions and registry keys, WM_/VK_ numbers, taps
  lines     the reader of a Windows program's output lines (Log)
  probe     the probe tool's answers about windows, menus and processes
  builds    which Kestrova.exe to drive and why; the tool programs; e2e main()
  keys      the key target, the injector and other helper programs
  program   one run of Kestrova.exe: tray, hook-ready wait, quit, figures
  procstat  what Linux's /proc says about a (Wine) process
  winrun    `python3 -m kestrova.winrun PROGRAM.exe ...` for CTest
"""
