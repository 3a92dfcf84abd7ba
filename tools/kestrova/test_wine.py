"""The Wine environment's own rules: which file the tests drive, and a lasting
prefix that is remade for a new Wine installation without losing Kestrova's
settings."""
import os
import shutil
import tempfile
import unittest

from kestrova import wine as wineenv
from kestrova.wine import WineEnv

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


class Loader(unittest.TestCase):
    def test_by_the_programs_machine(self):
        build = os.path.join(os.path.dirname(wineenv.BUILD), "build")
        cases = [  # (program, 32-bit loader expected)
            (os.path.join(build, "win32", "Kestrova.exe"), True),
            (os.path.join(build, "win64", "Kestrova.exe"), False),
            ("reg", False),  # Wine's own command, not a file here
        ]
        for program, is32 in cases:
            if program != "reg" and not os.path.exists(program):
                self.fail(f"{program} is not built")
            with self.subTest(program=program):
                loader = wineenv.loader_for(program)
                self.assertEqual(loader == "wine", is32, loader)
        with tempfile.NamedTemporaryFile() as short:  # not a PE file
            short.write(b"MZ")
            short.flush()
            self.assertNotEqual(wineenv.loader_for(short.name), "wine")


class LastingPrefix(unittest.TestCase):
    def test_remade_for_another_wine_keeps_kestrova_settings(self):
        os.makedirs(os.path.join(wineenv.BUILD, "wine"), exist_ok=True)
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
