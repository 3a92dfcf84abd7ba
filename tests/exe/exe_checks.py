"""What the shipped Kestrova.exe must be, read from the file itself, on every
machine (where 32-bit code runs, the end-to-end tests also run it). Each
check answers a list of problems; an empty list means the file passes."""
import re
import struct
import xml.etree.ElementTree as ET

import pe

# -- headers --------------------------------------------------------------------


def check_headers(image):
    problems = []
    if image.machine != pe.MACHINE_I386:
        problems.append("machine is 0x%04x, not i386 (0x014c)" % image.machine)
    if image.magic != pe.PE32_MAGIC:
        problems.append("optional header is not PE32 (magic 0x%x)" % image.magic)
    if image.subsystem != pe.SUBSYSTEM_WINDOWS_GUI:
        problems.append("subsystem is %d, not the Windows GUI (2)" % image.subsystem)
    return problems


# -- manifest ---------------------------------------------------------------------

# The manifest's only setting is dpiAware; these elements may frame it.
_MANIFEST_FRAME = {"assembly", "assemblyIdentity", "description", "application", "windowsSettings", "dpiAware"}


def _local(tag):
    return tag.rsplit("}", 1)[-1]


def check_manifest_text(text):
    try:
        root = ET.fromstring(text)
    except ET.ParseError as e:
        return ["manifest is not well-formed XML: %s" % e]
    problems = []
    parents = {child: parent for parent in root.iter() for child in parent}
    dpi_aware = []
    for element in root.iter():
        name = _local(element.tag)
        if name not in _MANIFEST_FRAME:
            problems.append("manifest has a <%s> element" % name)
        if name == "assemblyIdentity" and "common-controls" in element.get("name", "").lower():
            problems.append("manifest names the common controls")
        if name == "dpiAware":
            dpi_aware.append(element)
    if len(dpi_aware) != 1:
        return problems + ["manifest has %d dpiAware elements, not 1" % len(dpi_aware)]
    element = dpi_aware[0]
    settings = parents.get(element)
    application = parents.get(settings) if settings is not None else None
    if settings is None or _local(settings.tag) != "windowsSettings" or \
            application is None or _local(application.tag) != "application":
        problems.append("dpiAware is not in application/windowsSettings")
    if (element.text or "").strip().lower() != "true":
        problems.append("dpiAware is %r, not true" % element.text)
    return problems


def check_manifest(resources):
    found = [(k, v) for k, v in resources.items() if k[0] == pe.RT_MANIFEST]
    if len(found) != 1 or found[0][0][1] != 1:
        return ["expected one manifest resource with id 1, found %s" % [k for k, _ in found]]
    return check_manifest_text(found[0][1])


# -- icon group ---------------------------------------------------------------------

_SIZES = (128, 96, 64, 48, 40, 32, 24, 20, 16)
# (bits per pixel, colour count byte of the group entry, palette entries, size)
EXPECTED_ICONS = ([(4, 16, 16, s) for s in _SIZES] + [(8, 0, 256, s) for s in _SIZES] +
                  [(24, 0, 0, s) for s in _SIZES] + [(32, 0, 0, s) for s in _SIZES if s != 96])
_PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def _row_bytes(bits):
    return (bits + 31) // 32 * 4


def _check_icon_image(index, image, bits, palette, size):
    where = "image %d (%d bpp, %d px)" % (index, bits, size)
    if image[:8] == _PNG_SIGNATURE:
        return ["%s is PNG, not a bitmap" % where]
    if len(image) < 40:
        return ["%s is %d bytes, shorter than a bitmap header" % (where, len(image))]
    header_size, width, height, planes, bit_count, compression = \
        struct.unpack_from("<IiiHHI", image)
    (colours_used,) = struct.unpack_from("<I", image, 32)
    problems = []
    if header_size != 40:
        problems.append("%s has a %d-byte header" % (where, header_size))
    if (width, height) != (size, 2 * size):
        problems.append("%s is %d x %d (height doubled), not %d x %d" % (where, width, height, size, 2 * size))
    if planes != 1 or bit_count != bits:
        problems.append("%s has %d planes at %d bpp" % (where, planes, bit_count))
    if compression != 0:
        problems.append("%s is compressed (%d)" % (where, compression))
    entries = colours_used or (1 << bits if bits <= 8 else 0)
    if entries != palette:
        problems.append("%s has %d palette entries, not %d" % (where, entries, palette))
    expected = 40 + 4 * palette + (_row_bytes(size * bits) + _row_bytes(size)) * size
    if len(image) != expected:
        problems.append("%s is %d bytes, not %d" % (where, len(image), expected))
    return problems


def check_icon_group(resources):
    groups = [(k, v) for k, v in resources.items() if k[0] == pe.RT_GROUP_ICON and k[1] == "DEFAULT_ICON"]
    if len(groups) != 1:
        return ["expected one icon group DEFAULT_ICON, found %d" % len(groups)]
    (_, _, language), data = groups[0]
    problems = []
    if language != 0:
        problems.append("DEFAULT_ICON has language 0x%x, not neutral" % language)
    if len(data) < 6:
        return problems + ["icon group is %d bytes" % len(data)]
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if (reserved, kind, count) != (0, 1, len(EXPECTED_ICONS)):
        return problems + ["icon group header is %s, not (0, 1, %d)" % ((reserved, kind, count), len(EXPECTED_ICONS))]
    if len(data) != 6 + 14 * count:
        return problems + ["icon group is %d bytes for %d entries" % (len(data), count)]
    icons = {k[1]: v for k, v in resources.items() if k[0] == pe.RT_ICON}
    seen_ids = set()
    for index, (bits, colour_byte, palette, size) in enumerate(EXPECTED_ICONS):
        width, height, colours, _, planes, bit_count, byte_count, icon_id = \
            struct.unpack_from("<BBBBHHIH", data, 6 + 14 * index)
        if (width, height, colours, planes, bit_count) != (size, size, colour_byte, 1, bits):
            problems.append("entry %d is %dx%d, %d colours, %d planes, %d bpp; expected %dx%d, %d colours, %d bpp"
                            % (index, width, height, colours, planes, bit_count, size, size, colour_byte, bits))
            continue
        if icon_id in seen_ids:
            problems.append("entry %d repeats icon id %d" % (index, icon_id))
        seen_ids.add(icon_id)
        image = icons.get(icon_id)
        if image is None:
            problems.append("entry %d names icon %d, which is missing" % (index, icon_id))
            continue
        if len(image) != byte_count:
            problems.append("entry %d says %d bytes, icon %d has %d" % (index, byte_count, icon_id, len(image)))
        problems += _check_icon_image(index, image, bits, palette, size)
    return problems


# -- version block ------------------------------------------------------------------


def _align4(n):
    return (n + 3) & ~3


def parse_version_block(data, offset=0):
    """(key, value bytes, children, end) of one VS_VERSIONINFO-style block."""
    if offset + 6 > len(data):
        raise ValueError("block header at %d leaves the data" % offset)
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    if length < 6 or end > len(data):
        raise ValueError("block at %d has length %d" % (offset, length))
    pos = offset + 6
    key_end = pos
    while key_end + 1 < end and data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos:key_end].decode("utf-16-le")
    pos = _align4(key_end + 2)
    value_bytes = value_length * 2 if kind == 1 else value_length
    value = data[pos:min(pos + value_bytes, end)]
    pos = _align4(pos + value_bytes)
    children = []
    while pos < end:
        child = parse_version_block(data, pos)
        children.append(child)
        pos = _align4(child[3])
    return key, value, children, end


def check_version(resources):
    found = [(k, v) for k, v in resources.items() if k[0] == pe.RT_VERSION]
    if len(found) != 1 or found[0][0][1] != 1:
        return ["expected one version block with id 1, found %s" % [k for k, _ in found]]
    try:
        key, fixed, children, _ = parse_version_block(found[0][1])
    except ValueError as e:
        return ["version block is damaged: %s" % e]
    problems = []
    if key != "VS_VERSION_INFO" or len(fixed) != 52:
        return ["version block root is %r with %d bytes of fixed part" % (key, len(fixed))]
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, _, file_os, file_type) = \
        struct.unpack_from("<10I", fixed)
    if signature != 0xFEEF04BD:
        problems.append("fixed part signature is 0x%x" % signature)
    if (file_ms, file_ls, product_ms, product_ls) != (0x00010000, 0, 0x00010000, 0):
        problems.append("file/product version is not 1.0.0.0")
    if file_os != 0x4:
        problems.append("file OS is 0x%x, not VOS__WINDOWS32" % file_os)
    if file_type != 1:
        problems.append("file type is %d, not VFT_APP" % file_type)
    by_key = {c[0]: c for c in children}
    tables = by_key.get("StringFileInfo", (None, None, [], None))[2]
    if [t[0] for t in tables] != ["080404B0"]:
        problems.append("string tables are %s, not ['080404B0']" % [t[0] for t in tables])
    else:
        strings = {c[0]: c[1].decode("utf-16-le").split("\0")[0] for c in tables[0][2]}
        wanted = {"FileVersion": "1.0.0.0", "ProductVersion": "1.0.0.0",
                  "FileDescription": "Kestrova", "ProductName": "Kestrova"}
        for name, text in wanted.items():
            if strings.get(name) != text:
                problems.append("%s is %r, not %r" % (name, strings.get(name), text))
    variables = {c[0]: c[1] for c in by_key.get("VarFileInfo", (None, None, [], None))[2]}
    translation = variables.get("Translation", b"")
    pairs = [struct.unpack_from("<HH", translation, i) for i in range(0, len(translation) - 3, 4)]
    if pairs != [(0x0804, 0x04B0)]:
        problems.append("translation is %s, not [(0x0804, 0x04b0)]" % pairs)
    return problems


# -- imports ------------------------------------------------------------------------

# The C runtime's own DLLs: their functions are not Win32 text functions.
_CRT_DLL = re.compile(r"^(msvcrt|ucrtbase|api-ms-win-crt-.*)\.dll$")
# A wide-character variant: a name ending in W after a lower-case letter or digit
# (CreateWindowExW, lstrlenW, DrawTextW), not an acronym such as ...SRW.
_WIDE_NAME = re.compile(r"[a-z0-9]W$")

# Wide functions that the statically linked runtime imports on its own, not our code.
RUNTIME_WIDE_IMPORTS = {
    ("kernel32.dll", "CreateSemaphoreW"):
        "libgcc's Win32 threading (gthr-win32, the unwinder's frame registry, emutls) "
        "makes unnamed semaphores; the name argument is null",
    ("kernel32.dll", "GetModuleHandleW"):
        "mingw-w64's msvcrt shims (rand_s, ___lc_codepage_func) look up msvcrt and "
        "advapi32 by fixed names to find optional functions",
    ("kernel32.dll", "LoadLibraryW"):
        "mingw-w64's rand_s shim loads advapi32 by a fixed name for SystemFunction036",
}

# Text functions the program must call in their ANSI form; their presence also
# shows that the import table was read at all.
REQUIRED_ANSI_IMPORTS = {
    ("user32.dll", "CreateWindowExA"), ("user32.dll", "MessageBoxA"),
    ("shell32.dll", "Shell_NotifyIconA"), ("kernel32.dll", "GetModuleFileNameA"),
    ("kernel32.dll", "CreateEventA"), ("advapi32.dll", "RegQueryValueExA"),
}


def check_imports(imports):
    problems = []
    present = set()
    for dll, names in imports.items():
        if _CRT_DLL.match(dll):
            continue
        for name in names:
            present.add((dll, name))
            if _WIDE_NAME.search(name) and (dll, name) not in RUNTIME_WIDE_IMPORTS:
                problems.append("imports the wide function %s!%s" % (dll, name))
    for dll, name in sorted(REQUIRED_ANSI_IMPORTS - present):
        problems.append("does not import %s!%s" % (dll, name))
    return problems


# -- all of it -------------------------------------------------------------------------


def check_file(data):
    """Every problem of the file, or of reading it."""
    try:
        image = pe.PeImage(data)
        resources = image.resources()
        imports = image.imports()
    except pe.PeError as e:
        return ["not a readable PE file: %s" % e]
    return (check_headers(image) + check_manifest(resources) + check_icon_group(resources) +
            check_version(resources) + check_imports(imports))
