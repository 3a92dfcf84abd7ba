#include "app/BannerImageWin.h"
#include "app/BannerImage.h"

#include "PngBuilder.h"
#include "WindowFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The banner's source in these tests: a PNG of the test's own, or the shipped
// one from the resources, and how often a paint asked for it.
int decodes = 0;
pngtest::Bytes testPng;

std::optional<BannerPixels> decodeTestPng() {
    ++decodes;
    return DecodeBannerPng(testPng.data(), testPng.size());
}

std::optional<BannerPixels> decodeShipped() {
    ++decodes;
    return DecodeResourceBanner();
}

void useTestPng(pngtest::Bytes png) {
    testPng = std::move(png);
    decodes = 0;
    SetBannerSource({&decodeTestPng});
}

void useShipped() {
    decodes = 0;
    SetBannerSource({&decodeShipped});
}

// Bytes of memory committed to this process alone, address space walked with
// VirtualQuery: a block of the heap as large as a decoded picture is memory of
// its own, given back to the system when freed.
std::size_t committedPrivateBytes() {
    std::size_t total = 0;
    MEMORY_BASIC_INFORMATION info;
    for (const char* at = nullptr; VirtualQuery(at, &info, sizeof info) == sizeof info;
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE) total += info.RegionSize;
        if (static_cast<const char*>(info.BaseAddress) + info.RegionSize < at) break;  // wrapped round
    }
    return total;
}

struct Rgb {
    int r, g, b;
};

Rgb rgbOf(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }

// A straight colour c with alpha over k as the banner shows it: premultiplied
// (rounded), then the background's share added (truncated).
int blendOf(int c, int alpha, int k) { return (c * alpha + 127) / 255 + k * (255 - alpha) / 255; }

// A banner window of 400 x 80 on a parent, painted through WM_PRINTCLIENT into
// a 32-bit DIB so every pixel can be read back exactly.
class BannerTest : public ::testing::Test {
protected:
    void SetUp() override {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        RegisterBannerClass(instance);
        parent_ = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 500, 200, nullptr, nullptr, instance,
                                  nullptr);
        banner_ = CreateWindowExA(0, bannerClassName, "", WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE, 0, 10, 400, 80,
                                  parent_, nullptr, instance, nullptr);
        ASSERT_NE(banner_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(parent_);
        useShipped();
    }

    // Paints the banner, whose client area is width x height, and keeps its pixels.
    void render(int width = 400, int height = 80) {
        width_ = width;
        height_ = height;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, target);
        const std::size_t bytes = static_cast<std::size_t>(width * height * 4);
        std::memset(bits, 0x5A, bytes);  // a colour painting must overwrite
        SendMessageA(banner_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
        GdiFlush();
        pixels_.assign(static_cast<const std::uint8_t*>(bits), static_cast<const std::uint8_t*>(bits) + bytes);
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(target);
    }
    Rgb at(int x, int y) const {
        const std::uint8_t* p = &pixels_[static_cast<std::size_t>((y * width_ + x) * 4)];
        return {p[2], p[1], p[0]};
    }
    static void expectNear(Rgb got, Rgb want, int tolerance) {
        EXPECT_LE(std::abs(got.r - want.r), tolerance) << got.r << " vs " << want.r;
        EXPECT_LE(std::abs(got.g - want.g), tolerance) << got.g << " vs " << want.g;
        EXPECT_LE(std::abs(got.b - want.b), tolerance) << got.b << " vs " << want.b;
    }
    // Every pixel outside [x0, x1) x [y0, y1) is the button face.
    void expectBackgroundOutside(int x0, int y0, int x1, int y1) const {
        const Rgb face = rgbOf(GetSysColor(COLOR_BTNFACE));
        int wrong = 0;
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                if (x >= x0 && x < x1 && y >= y0 && y < y1) continue;
                const Rgb p = at(x, y);
                if (p.r != face.r || p.g != face.g || p.b != face.b) ++wrong;
            }
        EXPECT_EQ(wrong, 0);
    }

    HWND parent_ = nullptr;
    HWND banner_ = nullptr;
    std::vector<std::uint8_t> pixels_;
    int width_ = 400, height_ = 80;
};

// 4 x 2: opaque red, transparent green, half-transparent blue, opaque white;
// then translucent black at alpha 1 and 254, opaque black, transparent.
pngtest::Bytes smallPicture() {
    return pngtest::encode(pngtest::picture(4, 2, 8, 6,
                                            {255, 0, 0, 255, 0, 255, 0, 0, 0, 0, 255, 128, 255, 255, 255, 255,
                                             0, 0, 0, 1, 0, 0, 0, 254, 0, 0, 0, 255, 9, 9, 9, 0}));
}

TEST_F(BannerTest, Banner_SmallPicture_DrawnCentredUnscaledAndBlended) {
    useTestPng(smallPicture());
    render();
    const Rgb face = rgbOf(GetSysColor(COLOR_BTNFACE));
    // Centred: x = (400 - 4) / 2, y = (80 - 2) / 2.
    struct Case {
        int x, y;
        Rgb expected;
    };
    const std::vector<Case> cases = {
        {198, 39, {255, 0, 0}},
        {199, 39, face},
        {200, 39, {blendOf(0, 128, face.r), blendOf(0, 128, face.g), blendOf(255, 128, face.b)}},
        {201, 39, {255, 255, 255}},
        {198, 40, {blendOf(0, 1, face.r), blendOf(0, 1, face.g), blendOf(0, 1, face.b)}},
        {199, 40, {blendOf(0, 254, face.r), blendOf(0, 254, face.g), blendOf(0, 254, face.b)}},
        {200, 40, {0, 0, 0}},
        {201, 40, face},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        expectNear(at(c.x, c.y), c.expected, 0);
    }
    expectBackgroundOutside(198, 39, 202, 41);
}

TEST_F(BannerTest, Banner_UndecodablePicture_ShowsOnlyTheBackgroundAndIsNotDecodedAgain) {
    auto png = smallPicture();
    png.resize(png.size() - 20);
    useTestPng(png);
    render();
    expectBackgroundOutside(0, 0, 0, 0);
    EXPECT_EQ(decodes, 1);
    render();
    SetWindowPos(banner_, nullptr, 0, 0, 300, 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    render(300, 60);
    expectBackgroundOutside(0, 0, 0, 0);
    EXPECT_EQ(decodes, 1);
}

TEST_F(BannerTest, Banner_ShippedPicture_FitsInto176x80AtX112AndBlends) {
    useShipped();
    render();
    const Rgb face = rgbOf(GetSysColor(COLOR_BTNFACE));
    expectBackgroundOutside(112, 0, 112 + 176, 80);
    // Points inside flat areas of the artwork (tools/make_banner.py), in banner
    // pixels: x = 112 + px * 176 / 2148, y = py * 80 / 971.
    expectNear(at(122, 45), {0xE9, 0xED, 0xF1}, 4);  // the key cap's face, px 122..134
    expectNear(at(155, 40), {0x24, 0x47, 0x6B}, 4);  // the K's stem, px 500..564
    expectNear(at(194, 8), face, 0);                 // transparent space above the word
    // The accent bar is translucent (alpha 150), so it mixes with the face.
    expectNear(at(212, 63), {blendOf(0xF2, 150, face.r), blendOf(0x8C, 150, face.g),
                                   blendOf(0x28, 150, face.b)}, 4);
}

TEST_F(BannerTest, Banner_ButtonFaceColourChanges_BlendFollows) {
    useTestPng(smallPicture());
    render();  // blends once onto the current colour
    const int element = COLOR_BTNFACE;
    const COLORREF original = GetSysColor(COLOR_BTNFACE);
    const COLORREF red = RGB(200, 30, 60);
    ASSERT_TRUE(SetSysColors(1, &element, &red));
    render();
    SetSysColors(1, &element, &original);
    expectNear(at(199, 39), {200, 30, 60}, 0);
    expectNear(at(200, 39), {blendOf(0, 128, 200), blendOf(0, 128, 30), blendOf(255, 128, 60)}, 0);
    expectNear(at(5, 5), {200, 30, 60}, 0);
    EXPECT_EQ(decodes, 1);  // a new colour is a new blend, not a new decode
}

TEST_F(BannerTest, Banner_BoxResized_ReducedAgainFromANewDecode) {
    useShipped();
    render();
    render();
    EXPECT_EQ(decodes, 1);
    // The box as the layout makes it at 144 DPI: the picture's fit is 265 x 120.
    SetWindowPos(banner_, nullptr, 0, 0, 600, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    render(600, 120);
    EXPECT_EQ(decodes, 2);
    const int left = (600 - 265) / 2;
    expectBackgroundOutside(left, 0, left + 265, 120);
    // The K's stem, px 500..564, at the new scale: x = left + px * 265 / 2148.
    expectNear(at(left + 65, 60), {0x24, 0x47, 0x6B}, 4);
    render(600, 120);
    EXPECT_EQ(decodes, 2);
}

// The real main window, made hidden as a /hidden start makes it.
class BannerInMainWindow : public MainWindowTest {
protected:
    void SetUp() override {
        useShipped();
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        useShipped();
    }
    // Dispatches this thread's messages for ms milliseconds, waiting for them
    // in between.
    static void PumpFor(DWORD ms) {
        const DWORD start = GetTickCount();
        for (DWORD passed = 0; passed < ms; passed = GetTickCount() - start) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_ALLINPUT);
            Pump();
        }
    }
};

TEST_F(BannerInMainWindow, Banner_HiddenWindow_DecodesAtTheFirstPaintOnlyAndKeepsNoFullSizePicture) {
    const HWND box = Ctl(ControlId::Banner);
    ASSERT_NE(box, nullptr);
    PumpFor(1000);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(decodes, 0);

    const std::size_t fullSize = std::size_t{2148} * 971 * 4;
    const std::size_t before = committedPrivateBytes();
    SetMainWindowVisible(true);
    UpdateWindow(window);
    PumpFor(300);
    EXPECT_EQ(decodes, 1);
    const std::size_t after = committedPrivateBytes();
    EXPECT_LT(after, before + fullSize / 4) << "committed before " << before << ", after the first paint " << after;

    // The measure sees a picture that is held: decoded here and kept.
    const auto held = DecodeResourceBanner();
    ASSERT_TRUE(held.has_value());
    EXPECT_GE(committedPrivateBytes(), after + fullSize * 3 / 4);

    // Painted again, hidden, shown: the reduced picture serves.
    InvalidateRect(box, nullptr, TRUE);
    UpdateWindow(box);
    SetMainWindowVisible(false);
    PumpFor(100);
    SetMainWindowVisible(true);
    UpdateWindow(window);
    PumpFor(100);
    EXPECT_EQ(decodes, 1);
}

}  // namespace

