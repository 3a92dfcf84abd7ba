// The delay box inside the real settings window, so the window's own routing
// of EN_CHANGE, EN_KILLFOCUS and UDN_DELTAPOS is what is exercised. The text
// rules themselves are tabled in the native DelayText tests; here only what
// needs a real EDIT control and window manager.
#include "WindowFixture.h"
#include "app/DelayBox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class DelayBoxTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        // Shown: the spin buttons and the box ignore steps while hidden.
        SetMainWindowVisible(true);
        SetForegroundWindow(window);
        Pump();
        eventLog.clear();
    }

    HWND box() const { return Ctl(ControlId::DelayBox); }
    HWND spin() const { return DelayBoxSpinButtons(box()); }
    HWND other() const { return Ctl(ControlId::AutostartBox); }

    std::string text() const {
        char buffer[512] = {};
        GetWindowTextA(box(), buffer, sizeof buffer);
        return buffer;
    }
    // As code would set it; the change events it raised are forgotten.
    void setText(const char* value) {
        SetWindowTextA(box(), value);
        Pump();
        eventLog.clear();
    }
    static int changes() { return Count("delayText"); }

    // A control's window rectangle in the settings window's client coordinates.
    RECT rectOf(HWND control) const {
        RECT r{};
        GetWindowRect(control, &r);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    void type(const char* chars) {
        for (const char* c = chars; *c; ++c)
            SendMessageA(box(), WM_CHAR, static_cast<unsigned char>(*c), 1);
        Pump();
    }
    void leaveBox() {
        SetFocus(box());
        SetFocus(other());
        Pump();
    }
    // What the spin buttons send their parent when an arrow is pressed.
    LRESULT notifyDelta(int delta) {
        NMUPDOWN change{};
        change.hdr.hwndFrom = spin();
        change.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(spin()));
        change.hdr.code = UDN_DELTAPOS;
        change.iDelta = delta;
        const LRESULT answer = SendMessageA(window, WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
        Pump();
        return answer;
    }
    void clickSpin(bool up) {
        RECT r{};
        GetClientRect(spin(), &r);
        const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
        SendMessageA(spin(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(spin(), WM_LBUTTONUP, 0, at);
        Pump();
    }
    std::pair<DWORD, DWORD> selection() const {
        DWORD start = 0, end = 0;
        SendMessageA(box(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
};

bool putOnClipboard(HWND owner, const char* value) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const std::size_t size = std::strlen(value) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), value, size);
    GlobalUnlock(memory);
    const bool ok = SetClipboardData(CF_TEXT, memory) != nullptr;
    CloseClipboard();
    return ok;
}

TEST_F(DelayBoxTest, DelayBox_Typing_KeepsDigitsAndMinusOnly) {
    struct Case {
        const char* typed;
        const char* result;
        int changes;
    };
    const std::vector<Case> cases = {
        {"12", "12", 2},
        {"abc", "", 0},
        {"-5", "-5", 2},
        {"1a2 b+3.x", "123", 3},
        {"\xCE\xE2", "", 0},  // the two bytes of a Chinese character
        {"12\b", "1", 3},     // Backspace passes
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        setText("");
        type(c.typed);
        EXPECT_EQ(text(), c.result);
        EXPECT_EQ(changes(), c.changes);
    }
}

TEST_F(DelayBoxTest, DelayBox_PastingWithCtrlV_TakesAnyText) {
    ASSERT_TRUE(putOnClipboard(window, "abc1"));
    setText("");
    SetFocus(box());
    type("\x16");  // Ctrl+V
    EXPECT_EQ(text(), "abc1");
    EXPECT_GE(changes(), 1);
}

TEST_F(DelayBoxTest, DelayBox_LosingFocus_TidiesTheTextAndReportsOnlyARealRewrite) {
    struct Case {
        const char* text;
        const char* tidy;
    };
    const std::vector<Case> cases = {
        {"007", "7"},
        {"100", "100"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        setText(c.text);
        leaveBox();
        EXPECT_EQ(text(), c.tidy);
        // Only a real rewrite changes the text and so raises text-changed.
        EXPECT_EQ(changes(), std::strcmp(c.text, c.tidy) != 0 ? 1 : 0);
    }
}

TEST_F(DelayBoxTest, DelayBox_LosingFocus_PutsCaretAtThePreviousSelectionStart) {
    setText("00042");
    SetFocus(box());
    SendMessageA(box(), EM_SETSEL, 1, 3);
    SetFocus(other());
    Pump();
    EXPECT_EQ(text(), "42");
    EXPECT_EQ(selection(), std::make_pair(DWORD{1}, DWORD{1}));
}

TEST_F(DelayBoxTest, DelayBox_SpinNotification_StepsFocusesAndSelects) {
    struct Case {
        const char* text;
        int delta;
        const char* result;
    };
    const std::vector<Case> cases = {
        {"41", 1, "42"},
        {"1", -1, "1000"},
        {"7", 0, "8"},  // no direction counts as up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " by " + std::to_string(c.delta));
        SetFocus(other());  // before the text, so no focus-loss rewrite follows
        setText(c.text);
        EXPECT_EQ(notifyDelta(c.delta), 0);
        EXPECT_EQ(text(), c.result);
        EXPECT_EQ(changes(), 1);
        EXPECT_EQ(GetFocus(), box());
        const DWORD length = static_cast<DWORD>(std::strlen(c.result));
        EXPECT_EQ(selection(), std::make_pair(DWORD{0}, length));
    }
}

TEST_F(DelayBoxTest, DelayBox_SpinNotification_IgnoredWhileDisabledOrHidden) {
    struct Case {
        const char* what;
        void (*set)(HWND);
        void (*undo)(HWND);
    };
    const std::vector<Case> cases = {
        {"disabled", [](HWND b) { EnableWindow(b, FALSE); }, [](HWND b) { EnableWindow(b, TRUE); }},
        {"hidden", [](HWND b) { ShowWindow(b, SW_HIDE); }, [](HWND b) { ShowWindow(b, SW_SHOWNA); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setText("41");
        c.set(box());
        EXPECT_EQ(notifyDelta(1), 0);
        EXPECT_EQ(text(), "41");
        EXPECT_EQ(changes(), 0);
        c.undo(box());
    }
}

TEST_F(DelayBoxTest, DelayBox_ClickingSpinArrows_StepsAndWraps) {
    setText("999");
    clickSpin(true);
    EXPECT_EQ(text(), "1000");
    clickSpin(true);
    EXPECT_EQ(text(), "1");
    clickSpin(false);
    EXPECT_EQ(text(), "1000");
    clickSpin(false);
    EXPECT_EQ(text(), "999");
    EXPECT_EQ(changes(), 4);
}

TEST_F(DelayBoxTest, DelayBox_SpinButtons_SitAtTheRightEdgeWithTheirRange) {
    const RECT boxRect = rectOf(box());
    const RECT spinRect = rectOf(spin());
    EXPECT_EQ(boxRect.left, 217);
    EXPECT_EQ(boxRect.top, 220);
    EXPECT_EQ(spinRect.left, boxRect.right);
    EXPECT_EQ(spinRect.top, boxRect.top);
    EXPECT_EQ(spinRect.right - spinRect.left, 18);
    EXPECT_EQ(spinRect.bottom - spinRect.top, boxRect.bottom - boxRect.top);
    EXPECT_EQ(GetParent(spin()), window);
    EXPECT_TRUE(GetWindowLongPtrA(spin(), GWL_STYLE) & WS_CLIPSIBLINGS);
    const auto range = static_cast<DWORD>(SendMessageA(spin(), UDM_GETRANGE, 0, 0));
    EXPECT_EQ(HIWORD(range), 1);     // lower
    EXPECT_EQ(LOWORD(range), 1000);  // upper
    EXPECT_EQ(SendMessageA(box(), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << "no text limit of its own";
}

TEST_F(DelayBoxTest, DelayBox_SpinButtons_FollowMovesSizesVisibilityAndEnabling) {
    struct Case {
        const char* what;
        void (*act)(HWND);
        RECT box;
        bool visible, enabled;
    };
    const std::vector<Case> cases = {
        {"moved and resized", [](HWND b) { MoveWindow(b, 10, 30, 60, 25, TRUE); }, {10, 30, 70, 55}, true, true},
        {"SetWindowPos move only", [](HWND b) { SetWindowPos(b, nullptr, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER); },
         {40, 50, 100, 75}, true, true},
        {"hidden", [](HWND b) { ShowWindow(b, SW_HIDE); }, {40, 50, 100, 75}, false, true},
        {"shown", [](HWND b) { ShowWindow(b, SW_SHOWNA); }, {40, 50, 100, 75}, true, true},
        {"hidden by SetWindowPos", [](HWND b) {
             SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER); },
         {40, 50, 100, 75}, false, true},
        {"shown by SetWindowPos", [](HWND b) {
             SetWindowPos(b, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER); },
         {40, 50, 100, 75}, true, true},
        {"disabled", [](HWND b) { EnableWindow(b, FALSE); }, {40, 50, 100, 75}, true, false},
        {"enabled", [](HWND b) { EnableWindow(b, TRUE); }, {40, 50, 100, 75}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act(box());
        Pump();
        const RECT boxRect = rectOf(box());
        const RECT spinRect = rectOf(spin());
        EXPECT_EQ(boxRect.left, c.box.left);
        EXPECT_EQ(boxRect.bottom, c.box.bottom);
        EXPECT_EQ(spinRect.left, c.box.right);
        EXPECT_EQ(spinRect.top, c.box.top);
        EXPECT_EQ(spinRect.right - spinRect.left, 18);
        EXPECT_EQ(spinRect.bottom, c.box.bottom);
        EXPECT_EQ(IsWindowVisible(spin()) != 0, c.visible);
        EXPECT_EQ(IsWindowEnabled(spin()) != 0, c.enabled);
    }
}

int textHeight(HFONT font) {
    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, font);
    SIZE size{};
    GetTextExtentPoint32A(screen, "\xCE\xE2", 2, &size);
    SelectObject(screen, old);
    ReleaseDC(nullptr, screen);
    return size.cy;
}

HFONT fontOfHeight(int height) {
    return CreateFontA(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, "SimSun");
}

TEST_F(DelayBoxTest, DelayBox_BiggerFont_GrowsBoxToMinimumHeightOnly) {
    const RECT before = rectOf(box());
    ASSERT_EQ(before.bottom - before.top, 21) << "the window's font fits the box as designed";

    HFONT big = fontOfHeight(40);
    const int minimum = textHeight(big) + 2 * GetSystemMetrics(SM_CYEDGE);
    ASSERT_GT(minimum, 21);
    ApplyDelayBoxFont(box(), big);
    Pump();
    const RECT grown = rectOf(box());
    EXPECT_EQ(grown.bottom - grown.top, minimum);
    EXPECT_EQ(grown.left, before.left);
    EXPECT_EQ(grown.top, before.top);
    EXPECT_EQ(grown.right, before.right);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(box(), WM_GETFONT, 0, 0)), big);
    const RECT spinRect = rectOf(spin());
    EXPECT_EQ(spinRect.bottom - spinRect.top, minimum) << "the spin buttons stay as high as the box";

    // A smaller font never shrinks the box, and the previous font is deleted.
    HFONT small = fontOfHeight(8);
    ApplyDelayBoxFont(box(), small);
    Pump();
    const RECT kept = rectOf(box());
    EXPECT_EQ(kept.bottom - kept.top, minimum);
    EXPECT_EQ(GetObjectType(big), 0u) << "the replaced font was not deleted";
    EXPECT_EQ(GetObjectType(small), static_cast<DWORD>(OBJ_FONT));

    // Null means the stock font, which is used but never deleted.
    ApplyDelayBoxFont(box(), nullptr);
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(box(), WM_GETFONT, 0, 0)), stock);
    EXPECT_EQ(GetObjectType(small), 0u);
}

TEST_F(DelayBoxTest, DelayBox_Destroyed_DeletesItsFont) {
    HFONT font = fontOfHeight(30);
    ApplyDelayBoxFont(box(), font);
    ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    DestroyWindow(window);
    Pump();
    EXPECT_EQ(GetObjectType(font), 0u);
}

TEST_F(DelayBoxTest, DelayBox_NeverAttached_KeepsItsFontAndTheOneHandedOverIsDeleted) {
    const HWND plain = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 0, 60, 21, window, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(plain, nullptr);
    const auto before = SendMessageA(plain, WM_GETFONT, 0, 0);
    HFONT font = fontOfHeight(30);
    ApplyDelayBoxFont(plain, font);
    EXPECT_EQ(SendMessageA(plain, WM_GETFONT, 0, 0), before);
    EXPECT_EQ(GetObjectType(font), 0u) << "nothing would ever delete the font";
    DestroyWindow(plain);
}

}  // namespace
