#!/usr/bin/env python3
"""Bad input given to the real Kestrova.exe under Wine, and a quit chosen in
the start-up wait. For every case: the program does not crash, ends with exit
code 0 when asked, keeps or saves the delay as it should, and writes nothing
to the registry outside its own key and its Run value (HKEY_CURRENT_USER
exported before and after each test and compared).

The table of every bad input tried, with the tests behind each row, is
docs/bad-input.md."""
import contextlib
import os
import subprocess
import time
import unittest

from kestrova import builds
from kestrova.builds import e2e_main, have_programs, tool
from kestrova.keys import Injector, Target
from kestrova.lines import Log
from kestrova.names import CAPTION, METRICS_KEY, PROGRAM_KEY, RUN_KEY, VK_RMENU
from kestrova.probe import child, probe, rect, text, tree
from kestrova.program import Program, tray_icon_shown
from kestrova.wine import WineEnv, wait_until

env = None


def setUpModule():
    global env
    if not have_programs("keytarget", "keyburst"):
        raise unittest.SkipTest("the program and the tool programs must be built")
    env = WineEnv().__enter__()


def tearDownModule():
    if env:
        env.stop()


# -- the registry ------------------------------------------------------------
def reg_file_value(name, kind, data):
    """One value line of a .reg file. kind: dword (an int), sz, binary, qword,
    multi_sz, expand_sz (bytes as Windows stores them)."""
    if kind == "dword":
        return f'"{name}"=dword:{data & 0xFFFFFFFF:08x}'
    if kind == "sz":
        return f'"{name}"="{data}"'
    codes = {"binary": "hex", "expand_sz": "hex(2)", "multi_sz": "hex(7)", "qword": "hex(b)"}
    return f'"{name}"={codes[kind]}:' + ",".join(f"{b:02x}" for b in data)


def utf16z(*texts):
    """REG_EXPAND_SZ / REG_MULTI_SZ bytes as a .reg file gives them: UTF-16."""
    return b"".join(t.encode("utf-16-le") + b"\0\0" for t in texts) + (b"\0\0" if len(texts) > 1 else b"")


def import_values(values):
    """values: [(key, name, kind, data)] written with `reg import`."""
    lines = ["Windows Registry Editor Version 5.00", ""]
    for key, name, kind, data in values:
        lines += ["[" + key.replace("HKCU", "HKEY_CURRENT_USER") + "]", reg_file_value(name, kind, data), ""]
    path = os.path.join(env.prefix, "case.reg")
    with open(path, "w", encoding="utf-16") as f:
        f.write("\r\n".join(lines) + "\r\n")
    rc, out = env.reg("import", env.wine_path(path))
    if rc != 0:
        raise RuntimeError(f"reg import failed: {out}")


def export_current_user():
    """{key: set of value lines} of HKEY_CURRENT_USER as `reg export` writes it."""
    path = os.path.join(env.prefix, "hkcu.reg")
    rc, out = env.reg("export", "HKCU", env.wine_path(path), "/y")
    if rc != 0:
        raise RuntimeError(f"reg export failed: {out}")
    keys, current = {}, None
    with open(path, encoding="utf-16") as f:
        for line in f.read().splitlines():
            if line.startswith("["):
                current = line[1:-1].lower()
                keys[current] = set()
            elif current is not None and line.strip():
                keys[current].add(line.lower())
    return keys


# What the program may change: its own key (and the maker key above it, which
# its first save creates) and its Run value. Wine's own keys change by themselves.
OWN = ("hkey_current_user\\software\\morvenhaltobrand",)
RUN = "hkey_current_user\\software\\microsoft\\windows\\currentversion\\run"
WINE_OWN = ("hkey_current_user\\software\\wine",)


def changes_outside_own(before, after):
    changed = []
    for key in sorted(set(before) | set(after)):
        if key.startswith(OWN) or key.startswith(WINE_OWN):
            continue
        old, new = before.get(key, set()), after.get(key, set())
        if key == RUN:
            old = {v for v in old if not v.startswith('"kestrova"=')}
            new = {v for v in new if not v.startswith('"kestrova"=')}
        if old != new:
            changed.append((key, sorted(old ^ new)[:4]))
    return changed


class RobustnessCase(unittest.TestCase):
    def setUp(self):
        env.reg_delete(r"HKCU\Software\MorvenhalTobrand")
        env.reg_delete(RUN_KEY, "Kestrova")
        env.reg_delete(METRICS_KEY, "AppliedDPI")

    def run_registry_check(self, body):
        """Runs body() between two exports of HKEY_CURRENT_USER and fails on any
        change outside the program's key and its Run value."""
        before = export_current_user()
        body()
        after = export_current_user()
        self.assertEqual(changes_outside_own(before, after), [], "written outside the program's own key")

    @staticmethod
    def end(program):
        """After a failed check: the program must not run on into the next case."""
        if program.running():
            try:
                program.quit_through_tray(timeout=15)
            except AssertionError:
                pass

    @contextlib.contextmanager
    def ending(self, program):
        try:
            yield program
        finally:
            self.end(program)

    def assert_no_icon_left(self):
        try:
            wait_until(lambda: not tray_icon_shown(env), timeout=30, interval=0.2)
        except TimeoutError:
            self.fail("the tray icon was left behind after the program quit")

    def start_and_wait(self, *args):
        """Starts the program and waits for its tray icon (shown again: Wine
        hides the tray window when the last icon goes)."""
        wait_until(lambda: not tray_icon_shown(env), timeout=20, interval=0.2)
        program = Program(env, *args)
        wait_until(lambda: tray_icon_shown(env) or not program.running(), timeout=60, interval=0.1)
        self.assertTrue(program.running(), f"ended during start-up with {program.proc.returncode}")
        return program

    def controls(self):
        """{"delay": text of the delay box, "checked": the start-with-Windows box}."""
        rows = tree(env)
        box, check = child(rows, class_name="Edit"), child(rows, caption="开机自动启动")
        if box is None or check is None:
            return None
        return {"delay": text(box), "checked": check["checked"] == "1"}


class RegistryValuesTest(RobustnessCase):
    def test_WrongTypesAndSizes_StartWithDefaults_KeepOtherValues_SaveOnlyTheDelay(self):
        DW, Q = "dword", "qword"
        cases = [
            # (case, Delay, AppliedDPI, Run value, box shows, box checked, Delay saved)
            ("Delay, AppliedDPI as text; Run as number",
             ("sz", "250"), ("sz", "120"), (DW, 1), "100", True, 100),
            ("all three as 0-byte REG_BINARY",
             ("binary", b""), ("binary", b""), ("binary", b""), "100", True, 100),
            ("2-byte REG_BINARY; Run as REG_MULTI_SZ",
             ("binary", b"\xfa\x00"), ("binary", b"\x78\x00"), ("multi_sz", utf16z("a", "b")), "100", True, 100),
            ("8-byte REG_BINARY; Run as REG_EXPAND_SZ",
             ("binary", bytes(8)), ("binary", b"\x78" + bytes(7)), ("expand_sz", utf16z("%WINDIR%\\x.exe")),
             "100", True, 100),
            ("REG_QWORD everywhere",
             (Q, (250).to_bytes(8, "little")), (Q, (120).to_bytes(8, "little")), (Q, (1).to_bytes(8, "little")),
             "100", True, 100),
            ("REG_MULTI_SZ; Run as empty text",
             ("multi_sz", utf16z("250", "300")), ("multi_sz", utf16z("120", "144")), ("sz", ""), "100", True, 100),
            ("REG_EXPAND_SZ; no Run value",
             ("expand_sz", utf16z("250")), ("expand_sz", utf16z("120")), None, "100", False, 100),
            ("zero delay, zero DPI", (DW, 0), (DW, 0), None, "0", False, 0),
            ("negative delay, negative DPI", (DW, -1), (DW, -96), None, "-1", False, -1),
            ("largest delay, huge DPI", (DW, 0x7FFFFFFF), (DW, 0x7FFFFFFF), None, "2147483647", False, 0x7FFFFFFF),
            ("most negative DPI", (DW, 250), (DW, -0x80000000), None, "250", False, 250),
        ]

        def body():
            for name, delay, dpi, run, shown, checked, saved in cases:
                with self.subTest(name):
                    self.setUp()
                    values = [(PROGRAM_KEY, "Delay") + delay, (METRICS_KEY, "AppliedDPI") + dpi]
                    if run:
                        values.append((RUN_KEY, "Kestrova") + run)
                    import_values(values)
                    stored_dpi = env.reg_query(METRICS_KEY, "AppliedDPI")
                    stored_run = env.reg_query(RUN_KEY, "Kestrova")
                    program = self.start_and_wait()
                    with self.ending(program):
                        state = wait_until(self.controls, timeout=30, interval=0.2)
                        self.assertEqual(state, {"delay": shown, "checked": checked})
                        self.assertTrue(program.running())
                        self.assertEqual(program.quit_through_tray(), 0)
                    self.assert_no_icon_left()
                    self.assertEqual(env.reg_query(PROGRAM_KEY, "Delay"), ("REG_DWORD", hex(saved & 0xFFFFFFFF)))
                    self.assertEqual(env.reg_query(METRICS_KEY, "AppliedDPI"), stored_dpi, "AppliedDPI untouched")
                    self.assertEqual(env.reg_query(RUN_KEY, "Kestrova"), stored_run, "Run value untouched")
            # The test's own write, taken back before the registry is compared.
            env.reg_delete(METRICS_KEY, "AppliedDPI")

        self.run_registry_check(body)


class CommandLinesTest(RobustnessCase):
    def test_OddCommandLines_StartHiddenAndQuitCleanly(self):
        program_path = env.wine_path(builds.exe()).encode()
        quoted = b'"' + program_path + b'"'
        cases = [
            ("30,000 characters", quoted + b" /hidden" + b"x" * 30000),
            ("non-ASCII (code page 936)", quoted + b" " + "隐藏 启动".encode("gbk") + b" \xfe\x40"),
            ("unterminated quotation mark", quoted + b' "never closed /hidden'),
            ("control characters", quoted + b" \x01\x02\x1b\x7f \x07x"),
        ]

        def body():
            for name, command_line in cases:
                with self.subTest(name):
                    env.reg_set(PROGRAM_KEY, "Delay", "REG_DWORD", 123)
                    wait_until(lambda: not tray_icon_shown(env), timeout=20, interval=0.2)
                    launcher = env.popen([tool("probe"), "launch", "-"], stdin=subprocess.PIPE)
                    launcher.stdin.write(command_line.hex().encode() + b"\n")
                    launcher.stdin.close()
                    log = Log(launcher)
                    quitter = Program(env, proc=launcher)
                    with self.ending(quitter):
                        wait_until(lambda: tray_icon_shown(env) or launcher.poll() is not None, 60, 0.1)
                        self.assertIsNone(launcher.poll(), f"ended during start-up: {log.snapshot()}")
                        time.sleep(0.5)
                        self.assertFalse(
                            env.xdotool("search", "--onlyvisible", "--name", f"^{CAPTION}$", check=False),
                            "an argument starts the program hidden")
                        self.assertEqual(quitter.quit_through_tray(), 0, "the launcher itself")
                    self.assertIn("kind=exit code=0", log.snapshot(), "Kestrova's exit code")
                    self.assert_no_icon_left()
                    self.assertEqual(env.reg_query(PROGRAM_KEY, "Delay"), ("REG_DWORD", "0x7b"), "delay kept")

        self.run_registry_check(body)


class PastedTextTest(RobustnessCase):
    def test_AnyPastedText_IsTakenWhole_TidiedOnLeaving_AndTheLastIsSaved(self):
        cases = [
            # (case, pasted bytes, text after leaving the box)
            ("letters", b"abc", ""),
            ("full-width digits 300", "３００".encode("gbk"), ""),
            ("a minus sign alone", b"-", ""),
            ("two minus signs", b"--5", ""),
            ("one past the largest number", b"2147483648", "2147483647"),
            ("10,000 characters", b"0" * 9997 + b"250", "250"),
        ]

        def body():
            env.reg_set(PROGRAM_KEY, "Delay", "REG_DWORD", 123)
            program = self.start_and_wait()
            self.addCleanup(self.end, program)
            top = env.wait_window(CAPTION, timeout=30, visible=True)
            geometry = env.xdotool("getwindowgeometry", "--shell", top)
            values = dict(line.split("=", 1) for line in geometry.splitlines() if "=" in line)
            rect = self.edit_rect()
            click_x = int(values["X"]) + rect[0] + rect[2] // 2
            click_y = int(values["Y"]) + rect[1] + rect[3] // 2
            for name, pasted, tidy in cases:
                with self.subTest(name):
                    self.assertEqual(probe(env, "clip", pasted.hex(), timeout=60, tries=1)[0], 0)
                    # Wine hands the clipboard over to its X11 side a moment
                    # after the setter ends: a paste that found it empty is
                    # made again.
                    for _ in range(3):
                        env.xdotool("mousemove", click_x, click_y, "click", 1)
                        env.xdotool("key", "--delay", "30", "Home", "shift+End", "ctrl+v")
                        if self.wait_box(pasted, timeout=3) == pasted:
                            break
                    self.assertEqual(self.box_text(), pasted, "the whole text is taken as pasted")
                    env.xdotool("key", "Tab")
                    self.assertEqual(self.wait_box(tidy.encode()), tidy.encode())
                    self.assertTrue(program.running())
            self.assertEqual(program.quit_through_tray(), 0)
            self.assert_no_icon_left()
            self.assertEqual(env.reg_query(PROGRAM_KEY, "Delay"), ("REG_DWORD", "0xfa"), "the last text is saved")

        self.run_registry_check(body)

    def edit_rect(self):
        box = child(tree(env), class_name="Edit")
        if box is None:
            self.fail("no delay box")
        return list(rect(box))

    def box_text(self):
        rc, rows = probe(env, "text", CAPTION, "Edit", timeout=60, tries=1)
        return bytes.fromhex(rows[0]["text"]) if rc == 0 else None

    def wait_box(self, expected, timeout=10):
        try:
            wait_until(lambda: self.box_text() == expected, timeout=timeout, interval=0.2)
        except TimeoutError:
            pass
        return self.box_text()


class QuitDuringStartupTest(RobustnessCase):
    def test_ExitChosenInTheStartupWait_EndsWithZero_SavesTheDelay_LeavesNoIcon_OtherHooksWork(self):
        def body():
            # A text where a number belongs: the program starts from 100 and
            # saves it as a number, so the save is visible.
            env.reg_set(PROGRAM_KEY, "Delay", "REG_SZ", "300")
            wait_until(lambda: not tray_icon_shown(env), timeout=20, interval=0.2)
            # Opens the tray menu as soon as the window exists, which is before
            # the start-up wait; the program only dispatches messages from the
            # wait on, so the menu and the choice of X happen inside it.
            chooser = env.popen([tool("probe"), "menu-at-start", CAPTION, "60000"])
            chooser_log = Log(chooser)
            program = Program(env, "/hidden")
            self.addCleanup(self.end, program)
            self.assertEqual(program.proc.wait(timeout=60), 0)
            chooser.wait(timeout=30)
            self.assertIn("kind=pressed sent=2", chooser_log.snapshot())
            self.assertEqual(env.reg_query(PROGRAM_KEY, "Delay"), ("REG_DWORD", "0x64"), "the delay was saved")
            self.assertFalse(tray_icon_shown(env), "no icon left")
            # No hook is installed once the shutdown steps have run, and the
            # early quit did not break the hooks of other programs.
            target = Target(env, caption="after early quit", typed=False)
            injector = Injector(env)
            try:
                mark = target.mark()
                injector.burst(3, 50, paced=False)
                wait_until(lambda: len([k for m, k in target.keys_after(mark, "hook") if k == VK_RMENU]) >= 6, 10)
            finally:
                injector.stop()
                target.stop()

        self.run_registry_check(body)


if __name__ == "__main__":
    e2e_main()
