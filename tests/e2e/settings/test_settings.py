"""The delay and the start-with-Windows box with the real Kestrova.exe under
Wine: the registry is set before the program starts and read back after it
has quit through its tray menu.

Each test class shares one Wine environment (a private display and prefix);
every test sets the registry values it depends on first, so the tests stay
independent of each other's order."""
import os
import unittest

from kestrova import builds, probe
from kestrova.builds import SCREENSHOTS, e2e_main, have_programs
from kestrova.names import CAPTION, MAKER_KEY, PROGRAM_KEY, RUN_KEY
from kestrova.program import Program as BaseProgram
from kestrova.wine import WineEnv, wait_until

BS_AUTOCHECKBOX = 3


class Program(BaseProgram):
    """One run of Kestrova.exe in an environment, with its window shown."""

    def __init__(self, env):
        super().__init__(env)
        self.window = env.wait_window(CAPTION, timeout=60, visible=True)
        # The created handler has filled the box once the window is shown.
        self.state()

    def state(self):
        """The controls as the probe reads them: {"delay": text, "checked":
        "0"/"1", "edit"/"spin"/"check": "left top right bottom" on the screen}."""
        def read():
            rows = probe.tree(self.env)
            edit = probe.child(rows, class_name="Edit")
            spin = probe.child(rows, class_name="msctls_updown32")
            check = next((r for r in rows if r["kind"] == "child" and r["class"].lower() == "button"
                          and int(r["style"], 16) & 0x0F == BS_AUTOCHECKBOX), None)
            if edit is None or spin is None or check is None:
                return None
            fields = {"delay": probe.text(edit), "checked": "1" if check["checked"] == "1" else "0"}
            for name, row in (("edit", edit), ("spin", spin), ("check", check)):
                left, top, width, height = probe.rect(row, "screen")
                fields[name] = f"{left} {top} {left + width} {top + height}"
            return fields
        return wait_until(read, timeout=30, interval=0.2)

    def delay_text(self):
        return self.state()["delay"]

    def checked(self):
        return self.state()["checked"] == "1"

    def rect(self, name):
        return [int(v) for v in self.state()[name].split()]

    def click(self, x, y):
        self.env.xdotool("mousemove", x, y, "click", 1)

    def click_spin(self, up):
        left, top, right, bottom = self.rect("spin")
        height = bottom - top
        self.click((left + right) // 2, top + height // 4 if up else bottom - height // 4 - 1)

    def click_check_box(self):
        left, top, right, bottom = self.rect("check")
        # The square sits at the left end of the button.
        self.click(left + 7, (top + bottom) // 2)

    def focus_delay_box(self):
        left, top, right, bottom = self.rect("edit")
        self.click(right - 4, (top + bottom) // 2)

    def empty_delay_box(self):
        self.focus_delay_box()
        self.env.xdotool("key", "End")
        for _ in range(len(self.delay_text()) + 2):
            self.env.xdotool("key", "BackSpace")
        wait_until(lambda: self.delay_text() == "", timeout=10)

    def wait_text(self, expected):
        try:
            wait_until(lambda: self.delay_text() == expected, timeout=10, interval=0.1)
        except TimeoutError:
            pass
        return self.delay_text()


class SettingsTestCase(unittest.TestCase):
    env = None

    @classmethod
    def setUpClass(cls):
        if not have_programs():
            raise unittest.SkipTest("the program and the probe must be built")
        cls.env = WineEnv().__enter__()

    @classmethod
    def tearDownClass(cls):
        if cls.env:
            cls.env.stop()

    def stored_delay(self):
        return self.env.reg_query(PROGRAM_KEY, "Delay")

    def set_delay(self, rtype, data):
        self.env.reg_delete(MAKER_KEY)
        if rtype:
            self.env.reg_set(PROGRAM_KEY, "Delay", rtype, data)

    def screenshot(self, name):
        return self.env.screenshot(os.path.join(SCREENSHOTS, "settings-%s.png" % name))


class DelaySettingTest(SettingsTestCase):
    def test_StoredDelay_IsShownAndWrittenBackOnQuit(self):
        cases = [
            # (case, stored type, stored data, box at start, stored after quitting)
            ("nothing stored", None, None, "100", ("REG_DWORD", "0x64")),
            ("250", "REG_DWORD", "250", "250", ("REG_DWORD", "0xfa")),
            ("0", "REG_DWORD", "0", "0", ("REG_DWORD", "0x0")),
            ("-1", "REG_DWORD", "0xffffffff", "-1", ("REG_DWORD", "0xffffffff")),
            ("a text of digits", "REG_SZ", "250", "100", ("REG_DWORD", "0x64")),
        ]
        for name, rtype, data, shown, saved in cases:
            with self.subTest(name):
                self.set_delay(rtype, data)
                program = Program(self.env)
                self.assertEqual(program.delay_text(), shown)
                if name == "250":
                    self.screenshot("delay-250")
                self.assertEqual(program.quit_through_tray(), 0)
                self.assertEqual(self.stored_delay(), saved)

    def test_NothingStored_QuitCreatesTheMakerAndProgramKeys(self):
        self.set_delay(None, None)
        self.assertNotEqual(self.env.reg("query", MAKER_KEY)[0], 0)
        program = Program(self.env)
        program.quit_through_tray()
        self.assertEqual(self.env.reg("query", MAKER_KEY)[0], 0)
        self.assertEqual(self.stored_delay(), ("REG_DWORD", "0x64"))

    def test_Delay5000_SpinArrowsJumpIntoTheirRange(self):
        self.set_delay("REG_DWORD", "5000")
        program = Program(self.env)
        self.assertEqual(program.delay_text(), "5000")
        program.click_spin(up=True)
        self.assertEqual(program.wait_text("1"), "1")
        program.click_spin(up=False)
        self.assertEqual(program.wait_text("1000"), "1000")
        program.quit_through_tray()
        self.assertEqual(self.stored_delay(), ("REG_DWORD", "0x3e8"))

    def test_EmptiedBoxAndQuit_StoresZeroAndTheNextStartShowsZero(self):
        self.set_delay("REG_DWORD", "250")
        program = Program(self.env)
        program.empty_delay_box()
        program.quit_through_tray()
        self.assertEqual(self.stored_delay(), ("REG_DWORD", "0x0"))
        again = Program(self.env)
        self.assertEqual(again.delay_text(), "0")
        again.quit_through_tray()

    def test_Typing007ThenLeavingTheBox_Rewrites007To7AndStores7(self):
        self.set_delay(None, None)
        program = Program(self.env)
        program.empty_delay_box()
        self.env.xdotool("type", "007")
        self.assertEqual(program.wait_text("007"), "007")
        self.env.xdotool("key", "Tab")
        self.assertEqual(program.wait_text("7"), "7")
        program.quit_through_tray()
        self.assertEqual(self.stored_delay(), ("REG_DWORD", "0x7"))


class AutostartTest(SettingsTestCase):
    def run_value(self):
        return self.env.reg_query(RUN_KEY, "Kestrova")

    def test_CheckingWritesTheQuotedCommandAndUncheckingDeletesIt(self):
        self.env.reg_delete(RUN_KEY, "Kestrova")
        program = Program(self.env)
        self.assertFalse(program.checked())
        program.click_check_box()
        wait_until(lambda: program.checked(), timeout=10)
        expected = '"%s" /hidden' % self.env.wine_path(builds.exe())
        wait_until(lambda: self.run_value() is not None, timeout=10)
        self.assertEqual(self.run_value(), ("REG_SZ", expected))
        self.screenshot("autostart-checked")
        program.click_check_box()
        wait_until(lambda: not program.checked(), timeout=10)
        wait_until(lambda: self.run_value() is None, timeout=10)
        program.quit_through_tray()
        self.assertIsNone(self.run_value())

    def test_RunValueNamingAnotherProgram_StartsChecked(self):
        self.env.reg_set(RUN_KEY, "Kestrova", "REG_SZ", r"C:\Other\other.exe")
        program = Program(self.env)
        self.assertTrue(program.checked())
        program.quit_through_tray()
        self.assertEqual(self.run_value(), ("REG_SZ", r"C:\Other\other.exe"))


if __name__ == "__main__":
    e2e_main()
