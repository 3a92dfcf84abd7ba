"""End to end under Wine in Xvfb: a right-Alt tap typed with xdotool reaches the
hook of the running Kestrova.exe, and its worker sends Escape and the Menu key
to the focused window as its kind asks. The program is started /hidden with
the delay in the registry and counts as ready once an injected sequence
brings a Menu key back (kestrova.program.start_hooked)."""
import os
import time
import unittest

from kestrova.builds import SCREENSHOTS, e2e_main
from kestrova.keys import Target
from kestrova.names import (CANCELLED_TAP, LEFT_ALT_TAP, TAP, VK_APPS, VK_ESCAPE, VK_LMENU, VK_RMENU,
                            WM_CONTEXTMENU, WM_KEYDOWN, WM_KEYUP, WM_SYSKEYDOWN, plain)
from kestrova.program import start_hooked
from kestrova.wine import WineEnv

# The delay the program is given in the registry.
DELAY_MS = 300
# How long to watch for keys that must not come.
QUIET_S = max(1.5, 3 * DELAY_MS / 1000)


def keys(events):
    """(message, key) pairs; the worker's keys with their system-key variants folded in."""
    return [(plain(m) if k in (VK_ESCAPE, VK_APPS) else m, k) for m, k, _ in events]


class KeymapEndToEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = WineEnv().__enter__()
        try:
            cls.program = start_hooked(cls.env, DELAY_MS)
        except BaseException:
            cls.env.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.env.stop()

    def target(self, *options, caption):
        t = Target(self.env, *options, caption=caption)
        self.addCleanup(t.stop)
        return t

    def tap_release_time(self, target, mark, alt=VK_RMENU):
        ups = [us for m, k, us in target.events_after(mark, "hook") if (m, k) == (WM_KEYUP, alt)]
        self.assertTrue(ups, f"the tap's release never reached a hook: {target.log.snapshot()}")
        return ups[0]

    def test_plain_window_gets_the_menu_key_and_no_escape(self):
        t = self.target(caption="plain target")
        mark = t.mark()
        t.type(TAP)
        menu_down = t.wait_menu_key(mark)
        time.sleep(QUIET_S)  # anything else the worker might still send
        release = self.tap_release_time(t, mark)
        self.assertLess(menu_down[2] - release, DELAY_MS * 1000, "a plain window does not wait")
        hook = t.events_after(mark, "hook")
        self.assertNotIn(VK_ESCAPE, [k for _, k in keys(hook)])
        self.assertEqual([e for e in keys(hook) if e[1] == VK_APPS], [(WM_KEYDOWN, VK_APPS), (WM_KEYUP, VK_APPS)],
                         "one Menu key, down and up")
        win = keys(t.events_after(mark, "win"))
        self.assertIn((WM_KEYUP, VK_APPS), win)
        self.assertIn(WM_CONTEXTMENU, [m for m, _ in win], "the Menu key opened a context menu request")
        self.env.screenshot(os.path.join(SCREENSHOTS, "keymap_plain_after_tap.png"))

    def check_escape_then_menu_after_the_delay(self, *options, caption):
        t = self.target(*options, caption=caption)
        mark = t.mark()
        t.type(TAP)
        time.sleep(DELAY_MS / 1000 + QUIET_S)
        release = self.tap_release_time(t, mark)
        injected = [(m, k, us) for m, k, us in t.events_after(mark, "hook") if k in (VK_ESCAPE, VK_APPS)]
        self.assertEqual(keys(injected),
                         [(WM_KEYDOWN, VK_ESCAPE), (WM_KEYUP, VK_ESCAPE), (WM_KEYDOWN, VK_APPS), (WM_KEYUP, VK_APPS)],
                         t.log.snapshot())
        waited_us = injected[0][2] - release
        # The wait ends once the tick count has moved on by more than the delay;
        # a tick is a millisecond, so allow one for where the first tick fell.
        self.assertGreaterEqual(waited_us, (DELAY_MS - 1) * 1000, "Escape came before the delay had passed")
        win = [e for e in keys(t.events_after(mark, "win")) if e[1] in (VK_ESCAPE, VK_APPS)]
        self.assertEqual(win, [(WM_KEYDOWN, VK_ESCAPE), (WM_KEYUP, VK_ESCAPE), (WM_KEYDOWN, VK_APPS), (WM_KEYUP, VK_APPS)],
                         "the window itself got Escape, then the Menu key")
        return t

    def test_window_with_a_menu_bar_gets_escape_then_menu_after_the_delay(self):
        t = self.check_escape_then_menu_after_the_delay("--menu", caption="menu target")
        self.env.screenshot(os.path.join(SCREENSHOTS, "keymap_menu_after_tap.png"))

    def test_explorer_folder_window_gets_escape_then_menu_after_the_delay(self):
        self.check_escape_then_menu_after_the_delay("--cabinet", caption="cabinet target")

    def check_starts_nothing(self, steps, alt):
        t = self.target(caption="quiet target")
        mark = t.mark()
        t.type(steps)
        time.sleep(QUIET_S)
        hook = keys(t.events_after(mark, "hook"))
        self.assertIn((WM_SYSKEYDOWN, alt), hook, "the keys were typed")
        self.assertFalse([k for _, k in hook if k in (VK_ESCAPE, VK_APPS)], hook)
        self.assertFalse([k for _, k in keys(t.events_after(mark, "win")) if k in (VK_ESCAPE, VK_APPS)])

    def test_left_alt_starts_nothing(self):
        self.check_starts_nothing(LEFT_ALT_TAP, VK_LMENU)

    def test_right_alt_with_another_key_released_while_held_starts_nothing(self):
        self.check_starts_nothing(CANCELLED_TAP, VK_RMENU)


if __name__ == "__main__":
    e2e_main()
