"""Start-up, the single-instance guard, closing and the end of the session,
with the real Kestrova.exe under Wine on a 1920 x 1080 screen."""
import time
import unittest

from shell_harness import (ALREADY_RUNNING, BOX_CAPTION, CAPTION, SC_CLOSE, WM_CLOSE, WM_ENDSESSION,
                           WM_QUERYENDSESSION, WM_SYSCOMMAND, Kestrova, delay_key, e2e_main, wait_until)

# Centred on 1920 x 1080: ((1920 - 380) / 2, (1080 - 300) / 2).
SHOWN_RECT = (770, 390, 380, 300, True)


class StartupTest(unittest.TestCase):
    def test_NoArgument_ShowsTheCentredWindowWithItsControlsAndAddsTheIcon(self):
        with Kestrova() as k:
            k.launch_started()
            self.assertEqual(k.window_rect(), SHOWN_RECT)
            texts = [c[3] for c in k.children(CAPTION)]
            for caption in ("操作延迟(ms)", "将哪个键映射为Menu", "右Alt", "开机自动启动"):
                self.assertIn(caption, texts)
            k.shot("shell-window-shown.png")

    def test_AnyArgument_StartsHiddenWithTheIcon(self):
        for args in (["/hidden"], [""], ["x"]):
            with self.subTest(args=args), Kestrova() as k:
                p = k.launch_started(*args)
                # Past the pumped wait and the hook: nothing shows it later.
                time.sleep(1.5)
                rect = k.window_rect()
                self.assertIsNotNone(rect)
                self.assertFalse(rect[4], "window shown")
                self.assertTrue(k.tray_has())
                self.assertIsNone(p.poll())

    def test_SecondInstance_SaysSoAndEndsWithZero_FirstRunsOn(self):
        with Kestrova() as k:
            first = k.launch_started("/hidden")
            first_window = k.handle()
            second = k.launch()
            box = k.wait_window(BOX_CAPTION, timeout=60)
            children = k.children(BOX_CAPTION)
            self.assertIn(ALREADY_RUNNING, [c[3] for c in children])
            buttons = [c for c in children if c[1].lower() == "button"]
            self.assertEqual([b[0] for b in buttons], [1], "one OK button")
            k.shot("shell-second-instance.png")

            self.assertIsNone(second.poll(), "ended before the box was closed")
            k.xdotool("key", "--window", box, "Return")
            self.assertEqual(second.wait(timeout=30), 0)

            self.assertIsNone(first.poll())
            self.assertEqual(k.handle(), first_window)
            self.assertFalse(k.visible())
            self.assertTrue(k.tray_has())

    def test_Closing_OnlyHidesAndTheProgramRunsOn(self):
        def close_box(k):
            k.send(WM_SYSCOMMAND, SC_CLOSE)  # what the close box and the system menu send

        def alt_f4(k):
            k.xdotool("windowfocus", "--sync", k.wait_window(CAPTION, visible=True))
            k.xdotool("key", "alt+F4")

        def wm_close(k):
            k.send(WM_CLOSE)

        with Kestrova() as k:
            p = k.launch_started()
            for name, close in (("close box", close_box), ("Alt+F4", alt_f4), ("WM_CLOSE", wm_close)):
                with self.subTest(name):
                    if not k.visible():
                        k.click_tray_icon(1)
                    wait_until(k.visible, timeout=10)
                    close(k)
                    wait_until(lambda: not k.visible(), timeout=10)
                    time.sleep(0.3)
                    self.assertIsNone(p.poll())
                    self.assertIsNotNone(k.window_rect())
                    self.assertTrue(k.tray_has())


class SessionEndTest(unittest.TestCase):
    def test_SessionEnd_IsNotRefused_AndRunsTheShutdownStepsOnce(self):
        with Kestrova() as k:
            k.reg_set(delay_key(), "Delay", "REG_DWORD", 250)
            p = k.launch_started()

            self.assertEqual(k.send(WM_QUERYENDSESSION), 1)
            self.assertTrue(k.visible(), "the query hid the window")
            self.assertTrue(k.tray_has())
            k.reg_set(delay_key(), "Delay", "REG_DWORD", 7)  # nothing saved yet

            k.send(WM_ENDSESSION, 0)  # another program refused: nothing ends
            self.assertTrue(k.tray_has())
            self.assertEqual(k.reg_query(delay_key(), "Delay"), ("REG_DWORD", "0x7"))

            k.send(WM_ENDSESSION, 1)
            self.assertEqual(k.reg_query(delay_key(), "Delay"), ("REG_DWORD", "0xfa"))
            self.assertFalse(k.tray_has())

            # Once only: a second ending saves nothing, and a restarting
            # shell does not bring the removed icon back.
            k.reg_set(delay_key(), "Delay", "REG_DWORD", 7)
            k.send(WM_ENDSESSION, 1)
            k.probe("taskbar-created")
            time.sleep(0.5)
            self.assertEqual(k.reg_query(delay_key(), "Delay"), ("REG_DWORD", "0x7"))
            self.assertFalse(k.tray_has())
            self.assertIsNone(p.poll())


if __name__ == "__main__":
    e2e_main()
