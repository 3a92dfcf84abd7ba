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
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from keyrun import TAP, VK_APPS, VK_RMENU, WM_KEYDOWN, WM_KEYUP, KeyRun, plain  # noqa: E402
from kestrova import CAPTION, PROGRAM_KEY, Program, probe  # noqa: E402

WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC = 0x0218, 0x12
WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK = 0x02B1, 0x8
DELAY_MS = int(os.environ.get("KESTROVA_EXPECT_DELAY_MS", "300"))
# Longer than the watchdog's one-second check, for keys that must not come.
QUIET_S = 3.0


def menu_downs(events):
    return [e for e in events if (plain(e[0]), e[1]) == (WM_KEYDOWN, VK_APPS)]


class HookWatchdogEndToEnd(unittest.TestCase):
    def test_resume_and_unlock_put_the_hook_ahead_of_a_swallowing_hook_then_it_quits_and_saves(self):
        with KeyRun() as run:
            for name, message, event in (("resume", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC),
                                         ("unlock", WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK)):
                with self.subTest(name):
                    self.check_notification_puts_the_hook_ahead(run, name, message, event)
            self.check_quits_cleanly_and_saves_the_delay(run)

    def check_notification_puts_the_hook_ahead(self, run, name, message, event):
        target = run.start_target("--swallow-tap", caption=f"swallowing target {name}")
        try:
            for attempt in ("first", "second"):
                mark = target.mark()
                run.type(TAP)
                self.wait_release_seen(target, mark)
                time.sleep(QUIET_S)
                self.assertEqual(menu_downs(target.hook_events_after(mark)), [],
                                 f"{attempt} sequence: the swallowing hook stands ahead, so no Menu key")

            rc, rows = probe(run.env, "post", CAPTION, message, event, 0)
            self.assertEqual((rc, rows[0].get("posted") if rows else None), (0, "1"), f"{name} posted")

            mark = target.mark()
            run.type(TAP)
            target.wait_menu_key(mark, timeout=30)
            time.sleep(1.0)  # a second Menu key would come by now
            self.assertEqual(len(menu_downs(target.win_events_after(mark))), 1,
                             f"after {name}: one Menu key, {target.log.snapshot()[-12:]}")
        finally:
            target.stop()

    def wait_release_seen(self, target, mark):
        deadline = time.monotonic() + 30
        while not [e for e in target.hook_events_after(mark) if (e[0], e[1]) == (WM_KEYUP, VK_RMENU)]:
            self.assertLess(time.monotonic(), deadline, "the typed sequence never reached the target's hook")
            time.sleep(0.05)

    def check_quits_cleanly_and_saves_the_delay(self, run):
        # Another value under Kestrova's feet: only its save at exit brings
        # its own delay back.
        run.env.reg_set(PROGRAM_KEY, "Delay", "REG_DWORD", 7777)
        program = Program(run.env, proc=run.hook)
        self.assertEqual(program.quit_through_tray(), 0)
        self.assertEqual(run.env.reg_query(PROGRAM_KEY, "Delay"), ("REG_DWORD", hex(DELAY_MS)))


if __name__ == "__main__":
    unittest.main(verbosity=2)
