"""The tray icon and its menu, clicked as a person would, with the real
Kestrova.exe under Wine; and the icon coming back when the shell restarts."""
import time
import unittest

from shell_harness import CAPTION, Kestrova, delay_key, e2e_main, wait_until


def hidden(k):
    return not k.visible()


class TrayTest(unittest.TestCase):
    def test_LeftClick_ShowsThenHidesTheWindow_DoubleClickLeavesItAsItWas(self):
        with Kestrova() as k:
            p = k.launch_started("/hidden")
            k.click_tray_icon(1)
            wait_until(k.visible, timeout=10)
            k.click_tray_icon(1)
            wait_until(lambda: hidden(k), timeout=10)

            k.xdotool("click", "--repeat", 2, "--delay", 80, 1)
            time.sleep(1.0)
            self.assertFalse(k.visible())
            self.assertIsNone(p.poll())

    def test_RightClick_OpensTheMenuAboveTheCursor_EscapeClosesItWithoutEffect(self):
        with Kestrova() as k:
            p = k.launch_started("/hidden")
            menu = k.open_tray_menu()
            _, cursor_y = k.cursor()
            # Right-aligned 5 pixels left of the cursor; here, at the left edge
            # of the screen, the system pushes it back on screen.
            self.assertEqual(menu[1], cursor_y - 5)
            self.assertLessEqual(menu[0], k.cursor()[0])
            k.shot("shell-tray-menu.png")

            k.xdotool("key", "Escape")
            wait_until(k.menu_closed, timeout=10)
            time.sleep(0.3)
            self.assertFalse(k.visible())
            self.assertTrue(k.tray_has())
            self.assertIsNone(p.poll())

    def test_SettingsItem_TogglesTheWindow(self):
        with Kestrova() as k:
            k.launch_started("/hidden")
            for expected in (True, False):
                with self.subTest(visible_after=expected):
                    menu = k.open_tray_menu()
                    k.click_menu_item(menu, 0)
                    wait_until(k.menu_closed, timeout=10)
                    wait_until(lambda: k.visible() == expected, timeout=10)

    def test_ExitItem_EndsWithZeroAfterTheShutdownSteps(self):
        # Wine's shell drops the icons of a destroyed window by itself, so the
        # removal of the icon shows only while the window lives: the
        # session-end test checks it. The saved delay shows the steps ran.
        with Kestrova() as k:
            k.reg_set(delay_key(), "Delay", "REG_DWORD", 321)
            p = k.launch_started()
            k.reg_delete(delay_key(), "Delay")

            menu = k.open_tray_menu()
            k.click_menu_item(menu, 1)
            self.assertEqual(p.wait(timeout=30), 0)
            self.assertEqual(k.reg_query(delay_key(), "Delay"), ("REG_DWORD", "0x141"))


class ShellRestartTest(unittest.TestCase):
    def test_TaskbarCreated_AddsTheLostIconAgain_AndItStillWorks(self):
        with Kestrova() as k:
            p = k.launch_started("/hidden")
            rc, rows = k.probe("tray-forget", CAPTION)
            self.assertEqual((rc, rows[0]["deleted"]), (0, "1"))
            self.assertFalse(k.tray_has())

            k.probe("taskbar-created")
            wait_until(k.tray_has, timeout=10)
            k.click_tray_icon(1)
            wait_until(k.visible, timeout=10)
            self.assertIsNone(p.poll())


if __name__ == "__main__":
    e2e_main()
