#include "DelayBoxHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

class DelayBoxTest : public ::testing::Test {
protected:
    DelayBoxHost host;

    void type(const char* chars) {
        for (const char* c = chars; *c; ++c)
            SendMessageA(host.box(), WM_CHAR, static_cast<unsigned char>(*c), 1);
    }
    void leaveBox() {
        SetFocus(host.box());
        SetFocus(host.other());
        PumpMessages();
    }
    void clickSpin(bool up) {
        RECT r{};
        GetClientRect(host.spin(), &r);
        const LPARAM at = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
        SendMessageA(host.spin(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(host.spin(), WM_LBUTTONUP, 0, at);
        PumpMessages();
    }
    std::pair<DWORD, DWORD> selection() const {
        DWORD start = 0, end = 0;
        SendMessageA(host.box(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }
};

bool putOnClipboard(HWND owner, const char* text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const std::size_t size = std::strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(memory), text, size);
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
        host.setText("");
        type(c.typed);
        EXPECT_EQ(host.text(), c.result);
        EXPECT_EQ(host.changes(), c.changes);
    }
}

TEST_F(DelayBoxTest, DelayBox_PastingWithCtrlV_TakesAnyText) {
    ASSERT_TRUE(putOnClipboard(host.window(), "abc1"));
    host.setText("");
    SetFocus(host.box());
    type("\x16");  // Ctrl+V
    EXPECT_EQ(host.text(), "abc1");
    EXPECT_GE(host.changes(), 1);
}

TEST_F(DelayBoxTest, DelayBox_LosingFocus_Rewrites007To7AndFriends) {
    struct Case {
        const char* text;
        const char* tidy;
    };
    const std::vector<Case> cases = {
        {"007", "7"},
        {"abc", ""},
        {"99999999999", "2147483647"},
        {"-0", ""},
        {"-99999999999", "-2147483648"},
        {" 12x", "12"},
        {"100", "100"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        host.setText(c.text);
        leaveBox();
        EXPECT_EQ(host.text(), c.tidy);
        // Only a real rewrite changes the text and so raises text-changed.
        EXPECT_EQ(host.changes(), std::strcmp(c.text, c.tidy) != 0 ? 1 : 0);
    }
}

TEST_F(DelayBoxTest, DelayBox_LosingFocus_PutsCaretAtThePreviousSelectionStart) {
    host.setText("00042");
    SetFocus(host.box());
    SendMessageA(host.box(), EM_SETSEL, 1, 3);
    SetFocus(host.other());
    PumpMessages();
    EXPECT_EQ(host.text(), "42");
    EXPECT_EQ(selection(), std::make_pair(DWORD{1}, DWORD{1}));
}

TEST_F(DelayBoxTest, DelayBox_SpinNotification_StepsAndWraps) {
    struct Case {
        const char* text;
        int delta;
        const char* result;
    };
    const std::vector<Case> cases = {
        {"41", 1, "42"},    {"41", -1, "40"},    {"1000", 1, "1"},   {"abc", 1, "1"},
        {"1", -1, "1000"},  {"5000", 1, "1"},    {"5000", -1, "1000"}, {"", -1, "1000"},
        {"999", 1, "1000"}, {"2", -1, "1"},      {"7", 0, "8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " by " + std::to_string(c.delta));
        SetFocus(host.other());  // before the text, so no focus-loss rewrite follows
        host.setText(c.text);
        NMUPDOWN change{};
        change.hdr.hwndFrom = host.spin();
        change.hdr.code = UDN_DELTAPOS;
        change.iDelta = c.delta;
        EXPECT_EQ(DelayBoxDeltaPos(host.box(), &change), 0);
        EXPECT_EQ(host.text(), c.result);
        EXPECT_EQ(host.changes(), 1);
        EXPECT_EQ(GetFocus(), host.box());
        const DWORD length = static_cast<DWORD>(std::strlen(c.result));
        EXPECT_EQ(selection(), std::make_pair(DWORD{0}, length));
    }
}

TEST_F(DelayBoxTest, DelayBox_SpinNotification_IgnoredWhileDisabledOrHidden) {
    NMUPDOWN change{};
    change.hdr.hwndFrom = host.spin();
    change.hdr.code = UDN_DELTAPOS;
    change.iDelta = 1;
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
        host.setText("41");
        c.set(host.box());
        EXPECT_EQ(DelayBoxDeltaPos(host.box(), &change), 0);
        EXPECT_EQ(host.text(), "41");
        EXPECT_EQ(host.changes(), 0);
        c.undo(host.box());
    }
}

TEST_F(DelayBoxTest, DelayBox_ClickingSpinArrows_StepsAndWraps) {
    host.setText("999");
    clickSpin(true);
    EXPECT_EQ(host.text(), "1000");
    clickSpin(true);
    EXPECT_EQ(host.text(), "1");
    clickSpin(false);
    EXPECT_EQ(host.text(), "1000");
    clickSpin(false);
    EXPECT_EQ(host.text(), "999");
    EXPECT_EQ(host.changes(), 4);
}

TEST_F(DelayBoxTest, DelayBox_SpinButtons_SitAtTheRightEdgeWithTheirRange) {
    const RECT box = host.rectOf(host.box());
    const RECT spin = host.rectOf(host.spin());
    EXPECT_EQ(box.left, 217);
    EXPECT_EQ(box.top, 220);
    EXPECT_EQ(spin.left, box.right);
    EXPECT_EQ(spin.top, box.top);
    EXPECT_EQ(spin.right - spin.left, 18);
    EXPECT_EQ(spin.bottom - spin.top, box.bottom - box.top);
    EXPECT_EQ(GetParent(host.spin()), host.window());
    EXPECT_TRUE(GetWindowLongPtrA(host.spin(), GWL_STYLE) & WS_CLIPSIBLINGS);
    const auto range = static_cast<DWORD>(SendMessageA(host.spin(), UDM_GETRANGE, 0, 0));
    EXPECT_EQ(HIWORD(range), 1);     // lower
    EXPECT_EQ(LOWORD(range), 1000);  // upper
    EXPECT_EQ(SendMessageA(host.box(), EM_GETLIMITTEXT, 0, 0), 0x7FFFFFFE) << "no text limit of its own";
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
        c.act(host.box());
        PumpMessages();
        const RECT box = host.rectOf(host.box());
        const RECT spin = host.rectOf(host.spin());
        EXPECT_EQ(box.left, c.box.left);
        EXPECT_EQ(box.bottom, c.box.bottom);
        EXPECT_EQ(spin.left, c.box.right);
        EXPECT_EQ(spin.top, c.box.top);
        EXPECT_EQ(spin.right - spin.left, 18);
        EXPECT_EQ(spin.bottom, c.box.bottom);
        EXPECT_EQ(IsWindowVisible(host.spin()) != 0, c.visible);
        EXPECT_EQ(IsWindowEnabled(host.spin()) != 0, c.enabled);
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
    const RECT before = host.rectOf(host.box());
    ASSERT_EQ(before.bottom - before.top, 21) << "the stock font fits the box as created";

    HFONT big = fontOfHeight(40);
    const int minimum = textHeight(big) + 2 * GetSystemMetrics(SM_CYEDGE);
    ASSERT_GT(minimum, 21);
    ApplyDelayBoxFont(host.box(), big);
    PumpMessages();
    const RECT grown = host.rectOf(host.box());
    EXPECT_EQ(grown.bottom - grown.top, minimum);
    EXPECT_EQ(grown.left, before.left);
    EXPECT_EQ(grown.top, before.top);
    EXPECT_EQ(grown.right, before.right);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(host.box(), WM_GETFONT, 0, 0)), big);
    const RECT spin = host.rectOf(host.spin());
    EXPECT_EQ(spin.bottom - spin.top, minimum) << "the spin buttons stay as high as the box";

    // A smaller font never shrinks the box, and the previous font is deleted.
    HFONT small = fontOfHeight(8);
    ApplyDelayBoxFont(host.box(), small);
    PumpMessages();
    const RECT kept = host.rectOf(host.box());
    EXPECT_EQ(kept.bottom - kept.top, minimum);
    EXPECT_EQ(GetObjectType(big), 0u) << "the replaced font was not deleted";
    EXPECT_EQ(GetObjectType(small), static_cast<DWORD>(OBJ_FONT));

    // Null means the stock font, which is used but never deleted.
    ApplyDelayBoxFont(host.box(), nullptr);
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(host.box(), WM_GETFONT, 0, 0)), stock);
    EXPECT_EQ(GetObjectType(small), 0u);
}

TEST(DelayBoxLifetime, DelayBox_Destroyed_DeletesItsFont) {
    HFONT font = fontOfHeight(30);
    {
        DelayBoxHost host;
        ApplyDelayBoxFont(host.box(), font);
        ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    }
    EXPECT_EQ(GetObjectType(font), 0u);
}

}  // namespace
