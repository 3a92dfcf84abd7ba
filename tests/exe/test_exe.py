#!/usr/bin/env python3
"""The shipped 32-bit Kestrova.exe (env KESTROVA_EXE), checked without running
it; and the checks themselves, shown to fail on damaged copies of that file.
An optional KESTROVA_EXE64 names the x86_64 build, which must fail the machine
check."""
import os
import struct
import sys
import unittest

import exe_checks
import pe

EXE = os.environ.get("KESTROVA_EXE", "")


def load():
    with open(EXE, "rb") as f:
        return f.read()


class ShippedExe(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(EXE):
            raise AssertionError("KESTROVA_EXE does not name a file: %r" % EXE)
        cls.data = load()
        cls.image = pe.PeImage(cls.data)
        cls.resources = cls.image.resources()
        print("\n%s: %d bytes (%.1f KiB)" % (EXE, len(cls.data), len(cls.data) / 1024.0), file=sys.stderr)

    def test_stays_under_512_kib(self):
        # The lean runtime and the size flags keep the file near 506 KiB; the
        # full libstdc++ runtime would bring it past 900 KiB.
        self.assertLess(len(self.data), 524288, "the shipped file grew past 512 KiB")

    def test_is_32bit_x86_gui_program(self):
        self.assertEqual(exe_checks.check_headers(self.image), [])

    def test_manifest_declares_dpi_awareness_only(self):
        self.assertEqual(exe_checks.check_manifest(self.resources), [])

    def test_icon_group_holds_35_bitmap_images_in_order(self):
        self.assertEqual(exe_checks.check_icon_group(self.resources), [])

    def test_version_block_is_chinese_prc_kestrova_1_0_0_0(self):
        self.assertEqual(exe_checks.check_version(self.resources), [])

    def test_text_functions_are_imported_as_ansi(self):
        imports = self.image.imports()
        wide_from_runtime = sorted({n for (d, n) in exe_checks.RUNTIME_WIDE_IMPORTS
                                    if n in imports.get(d, [])})
        print("wide functions imported by the runtime itself: %s" % (wide_from_runtime or "none"),
              file=sys.stderr)
        self.assertEqual(exe_checks.check_imports(imports), [])


class Damage:
    """Copies of the shipped file, damaged in one place each."""

    def __init__(self, data):
        self.data = bytearray(data)
        self.image = pe.PeImage(data)

    def pe_offset(self):
        return struct.unpack_from("<I", self.data, 0x3C)[0]

    def patch(self, offset, new):
        self.data[offset:offset + len(new)] = new
        return bytes(self.data)

    def replace_once(self, old, new):
        assert len(old) == len(new)
        at = self.data.find(old)
        assert at >= 0, "%r not in the file" % old
        return self.patch(at, new)

    def resource_offset(self, kind, name):
        for key, (offset, _) in self.image.resource_places().items():
            if key[0] == kind and key[1] == name:
                return offset
        raise AssertionError("no resource %r %r" % (kind, name))


class ChecksCatchDamage(unittest.TestCase):
    """Each damaged copy must give at least one problem naming what was damaged."""

    @classmethod
    def setUpClass(cls):
        if not os.path.isfile(EXE):
            raise AssertionError("KESTROVA_EXE does not name a file: %r" % EXE)
        cls.data = load()

    def assertProblem(self, data, fragment):
        problems = exe_checks.check_file(data)
        self.assertTrue(any(fragment in p for p in problems),
                        "no problem mentioning %r in %s" % (fragment, problems))

    def test_damaged_copies_fail(self):
        utf16 = lambda text: text.encode("utf-16-le")  # noqa: E731
        d = lambda: Damage(self.data)  # noqa: E731
        group_at = d().resource_offset(pe.RT_GROUP_ICON, "DEFAULT_ICON")
        first_entry, second_entry = group_at + 6, group_at + 20
        image = pe.PeImage(self.data)
        user32 = image.imports()["user32.dll"]
        ansi = next(n for n in user32 if n.endswith("A") and n[-2].islower())
        cases = [
            ("machine", lambda: d().patch(d().pe_offset() + 4, struct.pack("<H", pe.MACHINE_AMD64)),
             "machine"),
            ("console subsystem", lambda: d().patch(d().pe_offset() + 24 + 68, struct.pack("<H", 3)),
             "subsystem"),
            ("wide import", lambda: d().replace_once(ansi.encode() + b"\0", ansi[:-1].encode() + b"W\0"),
             "wide function user32.dll!" + ansi[:-1] + "W"),
            ("icon group renamed", lambda: d().replace_once(utf16("DEFAULT_ICON"), utf16("DEFAULT_ICOX")),
             "DEFAULT_ICON"),
            ("icon entries swapped",
             lambda: d().patch(first_entry, self.data[second_entry:second_entry + 14] +
                               self.data[first_entry:first_entry + 14]),
             "entry 0"),
            ("icon count", lambda: d().patch(group_at + 4, struct.pack("<H", 34)), "icon group header"),
            ("string table language", lambda: d().replace_once(utf16("080404B0"), utf16("040904B0")),
             "string tables"),
            ("version", lambda: d().replace_once(struct.pack("<II", 0xFEEF04BD, 0x00010000) +
                                                 struct.pack("<I", 0x00010000),
                                                 struct.pack("<II", 0xFEEF04BD, 0x00010000) +
                                                 struct.pack("<I", 0x00020000)),
             "version is not 1.0.0.0"),
            ("truncated", lambda: self.data[:len(self.data) // 2], "not a readable PE file"),
            ("not an exe", lambda: b"MZ" + b"\0" * 100, "not a readable PE file"),
        ]
        for name, make, fragment in cases:
            with self.subTest(name):
                self.assertProblem(make(), fragment)

    def test_x64_build_fails_the_machine_check(self):
        exe64 = os.environ.get("KESTROVA_EXE64", "")
        if not os.path.isfile(exe64):
            self.skipTest("no x86_64 build named by KESTROVA_EXE64")
        with open(exe64, "rb") as f:
            problems = exe_checks.check_file(f.read())
        self.assertTrue(any("machine" in p for p in problems), problems)
        self.assertTrue(any("PE32" in p for p in problems), problems)


class ManifestChecks(unittest.TestCase):
    GOOD = b"""<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">%s</dpiAware>
    </windowsSettings>
  </application>%s
</assembly>"""
    COMMON_CONTROLS = b"""
  <dependency><dependentAssembly>
    <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
      processorArchitecture="*" publicKeyToken="6595b64144ccf1df" language="*"/>
  </dependentAssembly></dependency>"""
    ELEVATION = b"""
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v2"><security><requestedPrivileges>
    <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
  </requestedPrivileges></security></trustInfo>"""

    def test_manifest_cases(self):
        cases = [
            ("dpi aware", self.GOOD % (b"true", b""), None),
            ("dpi aware, spaced and capitalised", self.GOOD % (b" True ", b""), None),
            ("not dpi aware", self.GOOD % (b"false", b""), "not true"),
            ("per-monitor text", self.GOOD % (b"true/pm", b""), "not true"),
            ("common controls 6", self.GOOD % (b"true", self.COMMON_CONTROLS), "dependency"),
            ("execution level", self.GOOD % (b"true", self.ELEVATION), "requestedExecutionLevel"),
            ("no dpiAware", b"<assembly xmlns='urn:schemas-microsoft-com:asm.v1'/>", "0 dpiAware"),
            ("dpiAware outside windowsSettings",
             b"<assembly><application><dpiAware>true</dpiAware></application></assembly>",
             "not in application/windowsSettings"),
            ("not XML", b"<assembly><application>", "well-formed"),
        ]
        for name, text, fragment in cases:
            with self.subTest(name):
                problems = exe_checks.check_manifest_text(text)
                if fragment is None:
                    self.assertEqual(problems, [])
                else:
                    self.assertTrue(any(fragment in p for p in problems), problems)


if __name__ == "__main__":
    unittest.main(verbosity=2)
