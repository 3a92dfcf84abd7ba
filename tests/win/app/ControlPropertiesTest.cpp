// The property operations on the window and its controls.
#include <cstdlib>

#include "WindowFixture.h"

namespace {

// Counts the moves and resizes a window receives.
int positionChanges = 0;
WNDPROC countedProc = nullptr;
LRESULT CALLBACK CountingProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_WINDOWPOSCHANGED) {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos->flags & (SWP_NOMOVE | SWP_NOSIZE)) != (SWP_NOMOVE | SWP_NOSIZE)) ++positionChanges;
    }
    return CallWindowProcA(countedProc, w, message, wParam, lParam);
}

class ControlPropertiesTest : public MainWindowTest {};

TEST_F(ControlPropertiesTest, SetControlText_RaisesTextChangedExactlyOnce) {
    const HWND box = Ctl(ControlId::DelayBox);
    for (const char* text : {"250", "250", "", "abc"}) {
        SCOPED_TRACE(text);
        eventLog.clear();
        SetControlText(box, text);
        EXPECT_EQ(GetControlText(box), text);
        EXPECT_EQ(eventLog, std::vector<std::string>{"delayText"}) << "also when the text does not change";
    }
    // Other controls have no text-changed event.
    eventLog.clear();
    SetControlText(Ctl(ControlId::AutostartBox), "x");
    EXPECT_EQ(GetControlText(Ctl(ControlId::AutostartBox)), "x");
    EXPECT_TRUE(eventLog.empty());
    // The suppression ends with the call: typing raises the event again.
    SendMessageA(box, WM_CHAR, '5', 0);
    EXPECT_EQ(eventLog, std::vector<std::string>{"delayText"});
}

TEST_F(ControlPropertiesTest, SetChecked_ChangesTheStateWithoutAClick) {
    const HWND box = Ctl(ControlId::AutostartBox);
    for (bool value : {true, true, false, true}) {
        SCOPED_TRACE(value);
        SetChecked(box, value);
        EXPECT_EQ(IsChecked(box), value);
        EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), value ? BST_CHECKED : BST_UNCHECKED);
    }
    Pump();
    EXPECT_EQ(Count("autostartClick:1") + Count("autostartClick:0"), 0);
}

TEST_F(ControlPropertiesTest, GetBounds_ControlsRelativeToTheirParent) {
    // The option buttons sit in the group box, which sits in the window.
    EXPECT_EQ(GetBounds(Ctl(ControlId::AltOption)), (Bounds{16, 32, 70, 24}));
    RECT r;
    GetWindowRect(Ctl(ControlId::AltOption), &r);
    POINT client{0, 0};
    ClientToScreen(Ctl(ControlId::GroupBox), &client);
    EXPECT_EQ(r.left - client.x, 16);
    EXPECT_EQ(r.top - client.y, 32);
}

TEST_F(ControlPropertiesTest, SetBounds_OmittedValuesAreKept_AnUnchangedRectangleIsNotMoved) {
    const std::optional<int> none;
    struct Case {
        const char* name;
        std::optional<int> left, top, width, height;
        Bounds expected;
        bool moves;
    };
    const Bounds start{125, 180, 130, 24};
    const std::vector<Case> cases = {
        {"all omitted", none, none, none, none, start, false},
        {"the same rectangle", 125, 180, 130, 24, start, false},
        {"-1 for width and height", 125, 180, -1, -1, start, false},
        {"a new left keeps the width", 10, none, none, none, {10, 180, 130, 24}, true},
        {"a new top keeps the height", none, 7, none, none, {125, 7, 130, 24}, true},
        {"size only", none, none, 200, 30, {125, 180, 200, 30}, true},
        {"-1 height with a new width", none, none, 150, -1, {125, 180, 150, 24}, true},
        {"all four", 1, 2, 3, 4, {1, 2, 3, 4}, true},
    };
    const HWND w = Ctl(ControlId::AutostartBox);
    countedProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingProc)));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MoveWindow(w, start.left, start.top, start.width, start.height, TRUE);
        positionChanges = 0;
        SetBounds(w, c.left, c.top, c.width, c.height);
        EXPECT_EQ(GetBounds(w), c.expected);
        EXPECT_EQ(positionChanges > 0, c.moves);
    }
    SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(countedProc));
}

TEST_F(ControlPropertiesTest, SetBounds_MainWindowInScreenCoordinates) {
    const Bounds before = GetBounds(window);
    SetBounds(window, std::nullopt, std::nullopt, 456, 345);
    EXPECT_EQ(GetBounds(window), (Bounds{before.left, before.top, 456, 345}));
    SetBounds(window, 20, 30, std::nullopt, std::nullopt);
    EXPECT_EQ(GetBounds(window), (Bounds{20, 30, 456, 345}));
}

int ScreenDpi() {
    const HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

LOGFONTA FontOf(HWND w) {
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

TEST_F(ControlPropertiesTest, FontPointSize_RoundTripsForEveryKindOfControl) {
    LOGFONTA gui{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui);
    const int dpi = ScreenDpi();
    const int defaultPoints = MulDiv(std::abs(gui.lfHeight), 72, dpi);
    ASSERT_GT(defaultPoints, 0);

    for (ControlId id : {ControlId::DelayBox, ControlId::DelayLabel, ControlId::AltOption, ControlId::GroupBox,
                         ControlId::AutostartBox}) {
        SCOPED_TRACE(static_cast<int>(id));
        const HWND w = Ctl(id);
        EXPECT_EQ(GetFontPointSize(w), defaultPoints) << "no font of its own yet";
        for (int points : {12, 7, 20}) {
            SetFontPointSize(w, points);
            EXPECT_EQ(GetFontPointSize(w), points);
            if (id == ControlId::DelayLabel) continue;  // it makes its font when it paints
            const LOGFONTA lf = FontOf(w);
            EXPECT_EQ(lf.lfHeight, -MulDiv(points, dpi, 72));
            EXPECT_EQ(lf.lfQuality, PROOF_QUALITY);
            EXPECT_STREQ(lf.lfFaceName, gui.lfFaceName) << "the face is kept";
        }
        SetFontPointSize(w, -5);
        EXPECT_EQ(GetFontPointSize(w), 0) << "a negative size counts as 0";
    }
    // The label keeps the stock font object and repaints with its own.
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(Ctl(ControlId::DelayLabel), WM_GETFONT, 0, 0)),
              GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(ControlPropertiesTest, SetFontPointSize_ReplacesTheFontAndKeepsItAlive) {
    const HWND w = Ctl(ControlId::AutostartBox);
    SetFontPointSize(w, 11);
    const HFONT first = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
    SetFontPointSize(w, 13);
    const HFONT second = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
    EXPECT_NE(first, second);
    LOGFONTA lf{};
    EXPECT_EQ(GetObjectA(second, sizeof lf, &lf), static_cast<int>(sizeof lf)) << "the font in use is alive";
    EXPECT_EQ(GetObjectA(first, sizeof lf, &lf), 0) << "the previous font was deleted";
}

TEST_F(ControlPropertiesTest, GetControlText_ReadsLongAndChineseTexts) {
    const HWND box = Ctl(ControlId::DelayBox);
    const std::string longText(5000, '9');
    SetControlText(box, longText.c_str());
    EXPECT_EQ(GetControlText(box), longText);
    SetControlText(box, nullptr);
    EXPECT_EQ(GetControlText(box), "");
    EXPECT_EQ(GetControlText(Ctl(ControlId::DelayLabel)), "\xB2\xD9\xD7\xF7\xD1\xD3\xB3\xD9" "(ms)");
}

}  // namespace
