"""A small reader of Windows PE files: headers, sections, imports and the
resource tree. Stdlib only; every offset is bounds-checked, so a damaged file
raises PeError rather than reading garbage."""
import struct

MACHINE_I386 = 0x014C
MACHINE_AMD64 = 0x8664
PE32_MAGIC = 0x10B
PE32_PLUS_MAGIC = 0x20B
SUBSYSTEM_WINDOWS_GUI = 2

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

_DIR_IMPORT = 1
_DIR_RESOURCE = 2
_DIR_DELAY_IMPORT = 13


class PeError(Exception):
    pass


class PeImage:
    def __init__(self, data):
        self.data = bytes(data)
        if self.data[:2] != b"MZ":
            raise PeError("no MZ signature")
        (pe_offset,) = self._unpack("<I", 0x3C)
        if self.data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe_offset + 4
        (self.machine, section_count, _, _, _, optional_size,
         self.characteristics) = self._unpack("<HHIIIHH", coff)
        opt = coff + 20
        (self.magic,) = self._unpack("<H", opt)
        if self.magic == PE32_MAGIC:
            dir_count_at, dirs_at = 92, 96
        elif self.magic == PE32_PLUS_MAGIC:
            dir_count_at, dirs_at = 108, 112
        else:
            raise PeError("unknown optional header magic 0x%x" % self.magic)
        (self.subsystem,) = self._unpack("<H", opt + 68)
        (dir_count,) = self._unpack("<I", opt + dir_count_at)
        self.directories = [self._unpack("<II", opt + dirs_at + 8 * i) for i in range(min(dir_count, 16))]
        self.sections = []
        table = opt + optional_size
        for i in range(section_count):
            raw = self._slice(table + 40 * i, 40)
            name = raw[:8].rstrip(b"\0").decode("latin-1")
            vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", raw, 8)
            self.sections.append((name, va, max(vsize, raw_size), raw_ptr, raw_size))

    # -- raw access ---------------------------------------------------------
    def _slice(self, offset, size):
        if offset < 0 or size < 0 or offset + size > len(self.data):
            raise PeError("read of %d bytes at 0x%x leaves the file" % (size, offset))
        return self.data[offset:offset + size]

    def _unpack(self, fmt, offset):
        return struct.unpack(fmt, self._slice(offset, struct.calcsize(fmt)))

    def offset_of(self, rva):
        for _, va, size, raw_ptr, raw_size in self.sections:
            if va <= rva < va + size:
                if rva - va >= raw_size:
                    raise PeError("rva 0x%x lies in uninitialised data" % rva)
                return raw_ptr + (rva - va)
        raise PeError("rva 0x%x is in no section" % rva)

    def read(self, rva, size):
        return self._slice(self.offset_of(rva), size)

    def unpack_rva(self, fmt, rva):
        return self._unpack(fmt, self.offset_of(rva))

    def cstring(self, rva, limit=512):
        start = self.offset_of(rva)
        end = self.data.find(b"\0", start, start + limit)
        if end < 0:
            raise PeError("unterminated name at rva 0x%x" % rva)
        return self.data[start:end].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    # -- imports --------------------------------------------------------------
    def _thunk_names(self, rva):
        fmt, ordinal_flag = ("<I", 1 << 31) if self.magic == PE32_MAGIC else ("<Q", 1 << 63)
        step = struct.calcsize(fmt)
        names = []
        while True:
            (thunk,) = self.unpack_rva(fmt, rva)
            if thunk == 0:
                return names
            if thunk & ordinal_flag:
                names.append("#%d" % (thunk & 0xFFFF))
            else:
                names.append(self.cstring((thunk & 0x7FFFFFFF) + 2))
            rva += step
            if len(names) > 100000:
                raise PeError("runaway thunk table")

    def imports(self):
        """{dll name in lower case: [function names]}, ordinary and delay-loaded."""
        result = {}
        rva, size = self.directory(_DIR_IMPORT)
        while rva and size:
            lookup, _, _, name_rva, first = self.unpack_rva("<IIIII", rva)
            if lookup == 0 and name_rva == 0 and first == 0:
                break
            result.setdefault(self.cstring(name_rva).lower(), []).extend(self._thunk_names(lookup or first))
            rva += 20
        rva, size = self.directory(_DIR_DELAY_IMPORT)
        while rva and size:
            _, name_rva, _, _, names_rva, _, _, _ = self.unpack_rva("<IIIIIIII", rva)
            if name_rva == 0:
                break
            result.setdefault(self.cstring(name_rva).lower(), []).extend(self._thunk_names(names_rva))
            rva += 32
        return result

    # -- resources ------------------------------------------------------------
    def resources(self):
        """{(type, name, language): bytes}; type and name are ints or upper-case texts."""
        return {key: self._slice(offset, size) for key, (offset, size) in self.resource_places().items()}

    def resource_places(self):
        """{(type, name, language): (file offset, size)}."""
        root, size = self.directory(_DIR_RESOURCE)
        if not root or not size:
            return {}
        found = {}

        def entry_name(raw):
            if raw & 0x80000000:
                (length,) = self.unpack_rva("<H", root + (raw & 0x7FFFFFFF))
                text = self.read(root + (raw & 0x7FFFFFFF) + 2, 2 * length)
                return text.decode("utf-16-le").upper()
            return raw

        def walk(rva, path):
            _, _, _, _, named, numbered = self.unpack_rva("<IIHHHH", rva)
            for i in range(named + numbered):
                raw_name, target = self.unpack_rva("<II", rva + 16 + 8 * i)
                key = path + (entry_name(raw_name),)
                if target & 0x80000000:
                    if len(key) >= 3:
                        raise PeError("resource tree deeper than three levels")
                    walk(root + (target & 0x7FFFFFFF), key)
                elif len(key) == 3:
                    data_rva, data_size, _, _ = self.unpack_rva("<IIII", root + target)
                    self.read(data_rva, data_size)  # bounds check
                    found[key] = (self.offset_of(data_rva), data_size)
                else:
                    raise PeError("resource leaf above the language level")

        walk(root, ())
        return found
