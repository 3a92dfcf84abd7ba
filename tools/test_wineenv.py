"""The Wine environment's own rules: which file the tests drive, and a lasting
prefix that is remade for a new Wine installation without losing Kestrova's
settings."""
import os
import shutil
import tempfile
import unittest

import wineenv
from wineenv import WineEnv

DELAY_KEY = r"HKCU\Software\MorvenhalTobrand\Kestrova"
RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"


class ShippedExeChoice(unittest.TestCase):
    def test_answers(self):
        cases = [  # (file contents or None, KESTROVA_RUN32, expected)
            ("yes\n", None, (True, "this machine runs 32-bit code")),
            ("yes\n", "no", (False, "KESTROVA_RUN32=no is set")),
            ("no: this machine cannot run 32-bit code\n", None, (False, "this machine cannot run 32-bit code")),
            ("no: installing wine32:i386 failed\n", None, (False, "installing wine32:i386 failed")),
            (None, None, (False, "tools/setup.sh has not probed this machine")),
            ("", None, (False, "the setup's answer is ''")),
        ]
        for contents, force, expected in cases:
            with self.subTest(contents=contents, force=force), tempfile.TemporaryDirectory() as cache:
                if contents is not None:
                    with open(os.path.join(cache, "run32"), "w") as f:
                        f.write(contents)
                environ = {"KESTROVA_CACHE": cache}
                if force:
                    environ["KESTROVA_RUN32"] = force
                self.assertEqual(wineenv.shipped_exe_choice(environ), expected)


class LastingPrefix(unittest.TestCase):
    def test_remade_for_another_wine_keeps_kestrova_settings(self):
        root = tempfile.mkdtemp(prefix="lasting-", dir=os.path.join(wineenv.BUILD, "wine"))
        prefix = os.path.join(root, "run")
        try:
            with WineEnv(prefix=prefix) as w:
                w.reg_set(DELAY_KEY, "Delay", "REG_DWORD", 250)
                w.reg_set(RUN_KEY, "Kestrova", "REG_SZ", '"C:\\K\\Kestrova.exe" /hidden')
                w.reg_set(RUN_KEY, "Other", "REG_SZ", "other.exe")
                w.reg_set(r"HKCU\Software\Elsewhere", "Kept", "REG_SZ", "no")
            marker = os.path.join(prefix, "left-by-the-old-wine")
            open(marker, "w").close()
            # The prefix as a different Wine installation would have left it.
            with open(os.path.join(prefix, ".stamp"), "w") as f:
                f.write("wine32:i386=0.0\n")
            with WineEnv(prefix=prefix) as w:
                self.assertFalse(os.path.exists(marker), "the prefix was not remade")
                self.assertEqual(w.reg_query(DELAY_KEY, "Delay"), ("REG_DWORD", "0xfa"))
                self.assertEqual(w.reg_query(RUN_KEY, "Kestrova"), ("REG_SZ", '"C:\\K\\Kestrova.exe" /hidden'))
                self.assertIsNone(w.reg_query(RUN_KEY, "Other"))
                self.assertIsNone(w.reg_query(r"HKCU\Software\Elsewhere", "Kept"))
            # Same installation: the prefix is used as it is.
            open(marker, "w").close()
            with WineEnv(prefix=prefix):
                self.assertTrue(os.path.exists(marker))
        finally:
            shutil.rmtree(root, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
