// The application icon: its resources, and the images MakeIconFromData picks.
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "WindowFixture.h"
#include "app/IconDataWin.h"
#include "platform/UniqueHandle.h"

namespace {

std::string ReadFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {0, 0};
    BITMAP bm{};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    const SIZE size{bm.bmWidth, info.hbmColor ? bm.bmHeight : bm.bmHeight / 2};
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

// The pixels the icon shows when drawn onto magenta, a colour of the
// 16-colour palette that the artwork does not use.
std::vector<DWORD> DrawnPixels(HICON icon, int size) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC dc = CreateCompatibleDC(nullptr);
    UniqueBitmap target(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<DWORD> pixels;
    if (target) {
        ScopedSelect select(dc, target.get());
        RECT r{0, 0, size, size};
        UniqueHandle<HBRUSH, &DeleteObject> magenta(CreateSolidBrush(RGB(255, 0, 255)));
        FillRect(dc, &r, magenta.get());
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        GdiFlush();
        const auto* px = static_cast<const DWORD*>(bits);
        for (int i = 0; i < size * size; ++i) pixels.push_back(px[i] & 0xFFFFFF);
    }
    DeleteDC(dc);
    return pixels;
}

std::set<COLORREF> DrawnColours(HICON icon, int size) {
    const std::vector<DWORD> pixels = DrawnPixels(icon, size);
    return {pixels.begin(), pixels.end()};
}

uint32_t Dword(const std::string& s, size_t at) {
    uint32_t v = 0;
    for (size_t i = 4; i-- > 0;) v = v << 8 | static_cast<unsigned char>(s[at + i]);
    return v;
}
void PutDword(std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
}

// An icon file of some entries of another one, in the order given.
std::string IconFileOf(const std::string& file, const std::vector<size_t>& entries) {
    std::string out = file.substr(0, 4);
    out.push_back(static_cast<char>(entries.size()));
    out.push_back(0);
    std::string images;
    for (size_t i : entries) {
        const size_t entry = 6 + 16 * i;
        out += file.substr(entry, 12);
        PutDword(out, static_cast<uint32_t>(6 + 16 * entries.size() + images.size()));
        images += file.substr(Dword(file, entry + 12), Dword(file, entry + 8));
    }
    return out + images;
}

bool InSixteenColourPalette(DWORD bgr) {
    static const std::set<DWORD> vga = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
        0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    return vga.count(bgr) != 0;
}

TEST(ApplicationIcon, ResourcesGiveTheChosenImagesOfTheCommittedIconFile) {
    const std::string committed = ReadFile(KESTROVA_ICON_FILE);
    ASSERT_GT(committed.size(), 6u + 16 * 35) << KESTROVA_ICON_FILE;
    // The 16-colour 32 x 32 and 16 x 16 images and the last one (the 32-bit
    // 16 x 16), which the choice falls back to: nothing else is copied.
    EXPECT_TRUE(ApplicationIconData() == IconFileOf(committed, {5, 8, 34})) << "the same bytes";
}

TEST(ApplicationIcon, MakeIconFromData_MakesFromTheChosenImagesWhatItMakesFromTheWholeFile) {
    const std::string whole = ReadFile(KESTROVA_ICON_FILE);
    const std::string& chosen = ApplicationIconData();
    for (const auto& [large, size] : std::vector<std::pair<bool, int>>{{true, 32}, {false, 16}}) {
        SCOPED_TRACE(size);
        UniqueIcon fromWhole(MakeIconFromData(Bytes(whole), whole.size(), large));
        UniqueIcon fromChosen(MakeIconFromData(Bytes(chosen), chosen.size(), large));
        ASSERT_TRUE(fromWhole && fromChosen);
        EXPECT_EQ(IconSize(fromChosen.get()).cx, IconSize(fromWhole.get()).cx);
        EXPECT_EQ(IconSize(fromChosen.get()).cy, IconSize(fromWhole.get()).cy);
        const std::vector<DWORD> pixels = DrawnPixels(fromWhole.get(), size);
        EXPECT_EQ(pixels.size(), static_cast<size_t>(size * size));
        EXPECT_TRUE(DrawnPixels(fromChosen.get(), size) == pixels) << "the same picture";
    }
}

TEST(ApplicationIcon, MakeIconFromData_PicksTheSixteenColourImages) {
    const std::string& icon = ApplicationIconData();
    for (const auto& [large, size] : std::vector<std::pair<bool, int>>{{true, 32}, {false, 16}}) {
        SCOPED_TRACE(size);
        UniqueIcon made(MakeIconFromData(Bytes(icon), icon.size(), large));
        ASSERT_TRUE(made);
        const SIZE s = IconSize(made.get());
        EXPECT_EQ(s.cx, size);
        EXPECT_EQ(s.cy, size);
        // A 256-colour, 24-bit or 32-bit image would show colours outside the
        // 16-colour palette (the artwork's gradient and its soft edges).
        const std::set<COLORREF> colours = DrawnColours(made.get(), size);
        EXPECT_GT(colours.size(), 3u);
        for (COLORREF c : colours) EXPECT_TRUE(InSixteenColourPalette(c)) << std::hex << c;
    }
}

TEST(ApplicationIcon, MakeIconFromData_RefusesBrokenData) {
    const std::string icon = ReadFile(KESTROVA_ICON_FILE);
    struct Case {
        const char* name;
        std::string data;
    };
    std::string badOffset = icon;
    // The 32 x 32 16-colour entry's offset, pointed past the end.
    badOffset[6 + 16 * 5 + 15] = '\x7F';
    const std::vector<Case> cases = {
        {"empty", ""},
        {"header only", icon.substr(0, 6)},
        {"directory cut short", icon.substr(0, 6 + 16 * 10)},
        {"image cut short", icon.substr(0, 6 + 16 * 35 + 100)},
        {"image offset outside", badOffset},
        {"not an icon", std::string("\x89PNG\r\n\x1A\n and more bytes than a header", 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UniqueIcon made(MakeIconFromData(Bytes(c.data), c.data.size(), true));
        EXPECT_FALSE(made);
    }
}

TEST_F(MainWindowTest, WindowIcons_AreTheSixteenColourImages) {
    for (const auto& [which, size] : std::vector<std::pair<WPARAM, int>>{{ICON_BIG, 32}, {ICON_SMALL, 16}}) {
        SCOPED_TRACE(size);
        const auto icon = reinterpret_cast<HICON>(SendMessageA(window, WM_GETICON, which, 0));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(IconSize(icon).cx, size);
        for (COLORREF c : DrawnColours(icon, size)) EXPECT_TRUE(InSixteenColourPalette(c)) << std::hex << c;
    }
}

}  // namespace
