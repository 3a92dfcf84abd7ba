// Icons from the bytes of an icon file, and the application icon's bytes rebuilt
// from the program's icon-group resource.
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

std::string ApplicationIconData() {
    const HMODULE module = GetModuleHandleA(nullptr);
    const std::string_view group = ResourceBytes(module, applicationIconName, RT_GROUP_ICON);
    return BuildIconFile(group, [module](uint16_t id) {
        return ResourceBytes(module, MAKEINTRESOURCEA(id), RT_ICON);
    });
}
