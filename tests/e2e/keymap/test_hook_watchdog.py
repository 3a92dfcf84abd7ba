"""End to end under Wine in Xvfb: the real Kestrova.exe puts its keyboard hook
back in front when the session resumes or is unlocked.

A key target whose own hook is installed after Kestrova's, and so is called
first, swallows right Alt and X: the right-Alt sequence never reaches
Kestrova's hook and no Menu key comes, also after the one-second check of the
watchdog has had its chance. Then a resume notification (WM_POWERBROADCAST,
PBT_APMRESUMEAUTOMATIC), and separately an unlock notification
(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK), is posted to Kestrova's window: its
fresh hook stands ahead of the target's and the sequence gives one Menu key
again. Afterwards Kestrova quits through its tray menu with exit code 0 and
saves its delay."""
import time
import unittest

from kestrova.builds import e2e_main
from kestrova.keys import Target
from kestrova.names import CAPTION, PROGRAM_KEY, TAP, VK_APPS, VK_RMENU, WM_KEYDOWN, WM_KEYUP, plain
from kestrova.probe import probe
from kestrova.program import start_hooked
from kestrova.wine import WineEnv

WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC = 0x0218, 0x12
WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK = 0x02B1, 0x8
DELAY_MS = 300
# Longer than the watchdog's one-second check, for keys that must not come.
QUIET_S = 3.0


def menu_downs(events):
    return [e for e in events if (plain(e[0]), e[1]) == (WM_KEYDOWN, VK_APPS)]


class HookWatchdogEndToEnd(unittest.TestCase):
    def test_resume_and_unlock_put_the_hook_ahead_of_a_swallowing_hook_then_it_quits_and_saves(self):
        with WineEnv() as env:
            program = start_hooked(env, DELAY_MS)
            for name, message, event in (("resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC),
                                         ("unlock", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK)):
                with self.subTest(name):
                    self.check_notification_puts_the_hook_ahead(env, name, message, event)
            self.check_quits_cleanly_and_saves_the_delay(env, program)

    def check_notification_puts_the_hook_ahead(self, env, name, message, event):
        target = Target(env, "--swallow-tap", caption=f"swallowing target {name}")
        try:
            for attempt in ("first", "second"):
                mark = target.mark()
                target.type(TAP)
                self.wait_release_seen(target, mark)
                time.sleep(QUIET_S)
                self.assertEqual(menu_downs(target.events_after(mark, "hook")), [],
                                 f"{attempt} sequence: the swallowing hook stands ahead, so no Menu key")

            rc, rows = probe(env, "post", CAPTION, message, event, 0)
            self.assertEqual((rc, rows[0].get("posted") if rows else None), (0, "1"), f"{name} posted")

            mark = target.mark()
            target.type(TAP)
            target.wait_menu_key(mark, timeout=30)
            time.sleep(1.0)  # a second Menu key would come by now
            self.assertEqual(len(menu_downs(target.events_after(mark, "win"))), 1,
                             f"after {name}: one Menu key, {target.log.snapshot()[-12:]}")
        finally:
            target.stop()

    def wait_release_seen(self, target, mark):
        deadline = time.monotonic() + 30
        while not [e for e in target.events_after(mark, "hook") if (e[0], e[1]) == (WM_KEYUP, VK_RMENU)]:
            self.assertLess(time.monotonic(), deadline, "the typed sequence never reached the target's hook")
            time.sleep(0.05)

    def check_quits_cleanly_and_saves_the_delay(self, env, program):
        # Another value under Kestrova's feet: only its save at exit brings
        # its own delay back.
        env.reg_set(PROGRAM_KEY, "Delay", "REG_DWORD", 7777)
        self.assertEqual(program.quit_through_tray(), 0)
        self.assertEqual(env.reg_query(PROGRAM_KEY, "Delay"), ("REG_DWORD", hex(DELAY_MS)))


if __name__ == "__main__":
    e2e_main()
