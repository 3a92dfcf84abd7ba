"""End to end under Wine in Xvfb: a right-Alt tap typed with xdotool reaches the
hook of the running Kestrova.exe, and its worker sends Escape and the Menu key
to the focused window as its kind asks (see keyrun.py for how the program is
started and known to be ready)."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from keyrun import (CANCELLED_TAP, LEFT_ALT_TAP, TAP, VK_APPS, VK_ESCAPE, VK_LMENU, VK_RMENU,  # noqa: E402
                    WM_CONTEXTMENU, WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, KeyRun, plain)

# The delay the program under test was given (the registry, or KESTROVA_HOOK_ARGS).
DELAY_MS = int(os.environ.get("KESTROVA_EXPECT_DELAY_MS", "300"))
# How long to watch for keys that must not come.
QUIET_S = max(1.5, 3 * DELAY_MS / 1000)
SCREENSHOTS = os.path.join(os.path.dirname(os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__))))), "build", "screenshots")


def keys(events):
    """(message, key) pairs; the worker's keys with their system-key variants folded in."""
    return [(plain(m) if k in (VK_ESCAPE, VK_APPS) else m, k) for m, k, _ in events]


class KeymapEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.run_ = KeyRun().__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.run_.__exit__(None, None, None)

    def target(self, *options, caption):
        t = self.run_.start_target(*options, caption=caption)
        self.addCleanup(t.stop)
        return t

    def tap_release_time(self, target, mark, alt=VK_RMENU):
        ups = [us for m, k, us in target.hook_events_after(mark) if (m, k) == (WM_KEYUP, alt)]
        self.assertTrue(ups, f"the tap's release never reached a hook: {target.log.snapshot()}")
        return ups[0]

    def test_plain_window_gets_the_menu_key_and_no_escape(self):
        t = self.target(caption="plain target")
        mark = t.mark()
        self.run_.type(TAP)
        menu_down = t.wait_menu_key(mark)
        time.sleep(QUIET_S)  # anything else the worker might still send
        release = self.tap_release_time(t, mark)
        self.assertLess(menu_down[2] - release, DELAY_MS * 1000, "a plain window does not wait")
        hook = t.hook_events_after(mark)
        self.assertNotIn(VK_ESCAPE, [k for _, k in keys(hook)])
        self.assertEqual([e for e in keys(hook) if e[1] == VK_APPS], [(WM_KEYDOWN, VK_APPS), (WM_KEYUP, VK_APPS)],
                         "one Menu key, down and up")
        win = keys(t.win_events_after(mark))
        self.assertIn((WM_KEYUP, VK_APPS), win)
        self.assertIn(WM_CONTEXTMENU, [m for m, _ in win], "the Menu key opened a context menu request")
        t.run.env.screenshot(os.path.join(SCREENSHOTS, "keymap_plain_after_tap.png"))

    def check_escape_then_menu_after_the_delay(self, *options, caption):
        t = self.target(*options, caption=caption)
        mark = t.mark()
        self.run_.type(TAP)
        time.sleep(DELAY_MS / 1000 + QUIET_S)
        release = self.tap_release_time(t, mark)
        injected = [(m, k, us) for m, k, us in t.hook_events_after(mark) if k in (VK_ESCAPE, VK_APPS)]
        self.assertEqual(keys(injected),
                         [(WM_KEYDOWN, VK_ESCAPE), (WM_KEYUP, VK_ESCAPE), (WM_KEYDOWN, VK_APPS), (WM_KEYUP, VK_APPS)],
                         t.log.snapshot())
        waited_us = injected[0][2] - release
        # The wait ends once the tick count has moved on by more than the delay;
        # a tick is a millisecond, so allow one for where the first tick fell.
        self.assertGreaterEqual(waited_us, (DELAY_MS - 1) * 1000, "Escape came before the delay had passed")
        win = [e for e in keys(t.win_events_after(mark)) if e[1] in (VK_ESCAPE, VK_APPS)]
        self.assertEqual(win, [(WM_KEYDOWN, VK_ESCAPE), (WM_KEYUP, VK_ESCAPE), (WM_KEYDOWN, VK_APPS), (WM_KEYUP, VK_APPS)],
                         "the window itself got Escape, then the Menu key")
        return t

    def test_window_with_a_menu_bar_gets_escape_then_menu_after_the_delay(self):
        t = self.check_escape_then_menu_after_the_delay("--menu", caption="menu target")
        t.run.env.screenshot(os.path.join(SCREENSHOTS, "keymap_menu_after_tap.png"))

    def test_explorer_folder_window_gets_escape_then_menu_after_the_delay(self):
        self.check_escape_then_menu_after_the_delay("--cabinet", caption="cabinet target")

    def check_starts_nothing(self, steps, alt):
        t = self.target(caption="quiet target")
        mark = t.mark()
        self.run_.type(steps)
        time.sleep(QUIET_S)
        hook = keys(t.hook_events_after(mark))
        self.assertIn((WM_SYSKEYDOWN, alt), hook, "the keys were typed")
        self.assertFalse([k for _, k in hook if k in (VK_ESCAPE, VK_APPS)], hook)
        self.assertFalse([k for _, k in keys(t.win_events_after(mark)) if k in (VK_ESCAPE, VK_APPS)])

    def test_left_alt_starts_nothing(self):
        self.check_starts_nothing(LEFT_ALT_TAP, VK_LMENU)

    def test_right_alt_with_another_key_released_while_held_starts_nothing(self):
        self.check_starts_nothing(CANCELLED_TAP, VK_RMENU)


if __name__ == "__main__":
    unittest.main(verbosity=2)
