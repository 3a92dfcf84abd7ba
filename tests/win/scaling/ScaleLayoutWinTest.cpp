// The layout scaling against the real window, its controls and the registry,
// under Wine on a 1920 x 1080 screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "app/MainWindow.h"
#include "app/MainWindowOps.h"
#include "scaling/DpiMath.h"
#include "scaling/LayoutScalerWin.h"
#include "settings/RegistryStoreWin.h"

std::ostream& operator<<(std::ostream& os, const Bounds& b) {
    return os << b.left << "," << b.top << " " << b.width << "x" << b.height;
}

namespace {

constexpr char metricsKey[] = "Control Panel\\Desktop\\WindowMetrics";

struct Moves {
    int positionChanges = 0;
    int fontChanges = 0;
};
std::map<HWND, Moves> seen;

// Sees every message sent to this thread's windows, so a MoveWindow or a
// WM_SETFONT on any target is counted without touching the windows themselves.
LRESULT CALLBACK CountSentMessages(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->message == WM_WINDOWPOSCHANGING) seen[sent->hwnd].positionChanges++;
        if (sent->message == WM_SETFONT) seen[sent->hwnd].fontChanges++;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct MessageCounter {
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, CountSentMessages, nullptr, GetCurrentThreadId());
    MessageCounter() { seen.clear(); }
    ~MessageCounter() { UnhookWindowsHookEx(hook); }
};

void DeleteAppliedDpi() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, metricsKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, "AppliedDPI");
        RegCloseKey(key);
    }
}

void WriteAppliedDpi(DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, metricsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "AppliedDPI", 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
}

void WriteAppliedDpi(DWORD dpi) { WriteAppliedDpi(REG_DWORD, &dpi, sizeof dpi); }

const ControlId scaledControls[] = {ControlId::Banner,   ControlId::AutostartBox, ControlId::DelayLabel,
                                    ControlId::DelayBox, ControlId::GroupBox,     ControlId::AltOption,
                                    ControlId::CtrlOption};

const char* Name(ControlId c) {
    switch (c) {
    case ControlId::DelayBox: return "delay box";
    case ControlId::DelayLabel: return "label";
    case ControlId::CtrlOption: return "right Ctrl";
    case ControlId::AltOption: return "right Alt";
    case ControlId::GroupBox: return "group box";
    case ControlId::Banner: return "banner";
    case ControlId::AutostartBox: return "check box";
    default: return "?";
    }
}

TEST(MulDivRounded, AgreesWithWin32MulDiv) {
    const int32_t cases[][3] = {
        {12, 72, 120}, {8, 120, 72}, {12, 72, 96}, {13, 96, 72}, {11, 72, 96},  {1, 1, 2},
        {3, 1, 2},     {-1, 1, 2},   {-3, 1, 2},   {1, -1, 2},   {5, 1, -2},    {-5, 1, -2},
        {1, 1, 3},     {2, 1, 3},    {0, 5, 7},    {7, 9, 0},    {2147483647, 2, 1},
        {2147483647, 2147483647, 2147483647},      {65536, 65536, 4}, {-2147483647, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c[0]) + " * " + std::to_string(c[1]) + " / " + std::to_string(c[2]));
        EXPECT_EQ(MulDivRounded(c[0], c[1], c[2]), MulDiv(c[0], c[1], c[2]));
    }
}

// One window for the whole suite: the tests below run in order, the scaling one last.
// (SetBounds's own rule, no move for an unchanged rectangle, is the window's test.)
class ScaleLayoutOnTheWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        SetMainWindowEvents(MainWindowEvents{});
        SetLayoutWindow(&MainWindowLayoutOps());
        ASSERT_TRUE(CreateMainWindow());
    }

    static std::map<ControlId, Bounds> ControlBounds() {
        std::map<ControlId, Bounds> result;
        for (ControlId c : scaledControls) result[c] = GetBounds(ControlHandle(c));
        return result;
    }
    static std::map<ControlId, int> FontSizes() {
        std::map<ControlId, int> result;
        for (ControlId c : scaledControls) result[c] = GetFontPointSize(ControlHandle(c));
        return result;
    }
};

TEST_F(ScaleLayoutOnTheWindow, DefaultOrUnreadableDpi_MovesAndRefontsNothing) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    const Bounds designed{770, 390, 380, 300};
    ASSERT_EQ(GetBounds(MainWindowHandle()), designed);

    struct Setting {
        const char* name;
        void (*apply)();
    };
    const Setting settings[] = {
        {"no value", [] { DeleteAppliedDpi(); }},
        {"96", [] { WriteAppliedDpi(96); }},
        {"120 as text", [] { WriteAppliedDpi(REG_SZ, "120", 4); }},
        {"120 as a 64-bit number", [] {
             const ULONGLONG dpi = 120;
             WriteAppliedDpi(REG_QWORD, &dpi, sizeof dpi);
         }},
        {"two bytes", [] { WriteAppliedDpi(REG_BINARY, "\x78\x00", 2); }},
    };
    for (const Setting& s : settings) {
        SCOPED_TRACE(s.name);
        s.apply();
        const auto boundsBefore = ControlBounds();
        const auto fontsBefore = FontSizes();
        {
            MessageCounter counter;
            ScaleLayout();
            EXPECT_TRUE(seen.empty()) << seen.size() << " windows were sent a move or a font";
        }
        EXPECT_EQ(GetBounds(MainWindowHandle()), designed);
        EXPECT_EQ(ControlBounds(), boundsBefore);
        EXPECT_EQ(FontSizes(), fontsBefore);
    }
    DeleteAppliedDpi();
}

TEST_F(ScaleLayoutOnTheWindow, At120Dpi_WindowControlsAndFontsAreScaled) {
    WriteAppliedDpi(120);
    ASSERT_EQ(ReadRegNumber("Control Panel\\Desktop\\WindowMetrics\\AppliedDPI", 96), 120);
    const auto fontsBefore = FontSizes();
    {
        MessageCounter counter;
        ScaleLayout();
        EXPECT_GE(seen[MainWindowHandle()].positionChanges, 1);
        for (ControlId c : scaledControls) {
            SCOPED_TRACE(Name(c));
            HWND w = ControlHandle(c);
            EXPECT_GE(seen[w].positionChanges, 1);
            // The label paints its own text from its stored font; the banner has none.
            const bool getsFont = c != ControlId::DelayLabel && c != ControlId::Banner;
            EXPECT_EQ(seen[w].fontChanges > 0, getsFont);
        }
    }

    EXPECT_EQ(GetBounds(MainWindowHandle()), (Bounds{722, 352, 475, 375}));
    const std::map<ControlId, Bounds> expected = {
        {ControlId::Banner, {0, 12, 500, 100}},       {ControlId::AutostartBox, {156, 225, 162, 30}},
        {ControlId::DelayLabel, {128, 275, 125, 30}}, {ControlId::DelayBox, {271, 275, 60, 26}},
        {ControlId::GroupBox, {87, 115, 300, 90}},    {ControlId::AltOption, {20, 40, 87, 30}},
        {ControlId::CtrlOption, {120, 35, 143, 40}},
    };
    const float factor = ComputeDpiFactor(120);
    for (ControlId c : scaledControls) {
        SCOPED_TRACE(Name(c));
        const Bounds actual = GetBounds(ControlHandle(c));
        const Bounds& want = expected.at(c);
        if (c == ControlId::DelayBox) {
            // The box may grow taller to fit its larger font.
            EXPECT_EQ((Bounds{actual.left, actual.top, actual.width, want.height}), want);
            EXPECT_GE(actual.height, want.height);
        } else {
            EXPECT_EQ(actual, want);
        }
        if (c != ControlId::Banner) {
            EXPECT_EQ(GetFontPointSize(ControlHandle(c)), ScaleValue(fontsBefore.at(c), factor));
        }
    }
    // The round trip grew the font: 8 points at 96 DPI would stay 8 if nothing had been set.
    EXPECT_GT(GetFontPointSize(ControlHandle(ControlId::AutostartBox)), fontsBefore.at(ControlId::AutostartBox));
}

}  // namespace
