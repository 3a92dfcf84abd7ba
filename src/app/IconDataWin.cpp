// Icons from the bytes of an icon file, and the application icon's bytes rebuilt
// from the program's icon-group resource: the images the icons are made of.
#include "app/IconDataWin.h"

#include "app/IconData.h"
#include "platform/Window.h"

namespace {

const char applicationIconName[] = "DEFAULT_ICON";
constexpr DWORD iconFormatVersion = 0x00030000;

}  // namespace

HICON MakeIconFromData(const unsigned char* data, size_t size, bool large) {
    const std::optional<IconImage> image = SelectIconImage(data, size, large);
    if (!image || image->size > MAXDWORD) return nullptr;
    // The image is read, never written, but the functions take a non-const pointer.
    auto* bytes = const_cast<PBYTE>(data + image->offset);
    const auto count = static_cast<DWORD>(image->size);
    HICON icon = CreateIconFromResourceEx(bytes, count, TRUE, iconFormatVersion, image->width, image->height,
                                          LR_DEFAULTCOLOR);
    if (!icon && image->bitCount != 16) icon = CreateIconFromResource(bytes, count, TRUE, iconFormatVersion);
    return icon;
}

const std::string& ApplicationIconData() {
    // The icon group holds 35 images, about 300 KB; the window and the tray
    // use three of them. Rebuilding the whole file made every one of its
    // resource pages resident and left a heap block that size behind, so only
    // the chosen entries are copied, once: the file is a few kilobytes and is
    // kept for the tray icon, which is made after the window's icons.
    static const std::string data = [] {
        const HMODULE module = GetModuleHandleA(nullptr);
        const std::string_view group = ResourceBytes(module, applicationIconName, RT_GROUP_ICON);
        return BuildIconFile(
            group, [module](uint16_t id) { return ResourceBytes(module, MAKEINTRESOURCEA(id), RT_ICON); },
            IconEntries::Choices);
    }();
    return data;
}
