// The window as built, and the messages it turns into events.
#include "WindowFixture.h"

#include <algorithm>

#include "app/DelayBox.h"

namespace {

std::string ClassOf(HWND w) {
    char name[64] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

TEST_F(MainWindowTest, Creation_GivesTheCentredHiddenCaptionedWindow) {
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Kestrova  By Morvenhal Tobrand");
    // Top-level windows always get WS_CLIPSIBLINGS from the system.
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE)) & ~DWORD{WS_CLIPSIBLINGS}, 0x02C80000u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE)) & ~DWORD{WS_EX_WINDOWEDGE}, 0u);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_FALSE(IsMainWindowVisible());
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);

    const Bounds b = GetBounds(window);
    EXPECT_EQ(b, (Bounds{(GetSystemMetrics(SM_CXSCREEN) - 380) / 2, (GetSystemMetrics(SM_CYSCREEN) - 300) / 2, 380, 300}));

    const HMENU bar = GetMenu(window);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(GetMenuItemCount(bar), 0);

    EXPECT_EQ(ClassOf(window), "KestrovaMainWindow");
    EXPECT_EQ(GetClassLongPtrA(window, GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(GetClassLongPtrA(window, GCLP_HBRBACKGROUND)), GetStockObject(NULL_BRUSH));
    EXPECT_EQ(GetClassLongPtrA(window, GCLP_HICON), 0u);
}

// What a person relies on when the window opens, checked on the window as the
// system keeps it rather than against a copy of the control table: every
// control shown in its place, only the unfinished option greyed, nothing
// overlapping, each inside its parent, each caption readable in full.
struct ControlFacts {
    ControlId id;
    bool inGroupBox;
    bool enabled;
    int check;  // -1: not a button with a check state
};
const ControlFacts controlFacts[] = {
    {ControlId::DelayBox, false, true, -1},
    {ControlId::DelayLabel, false, true, -1},
    {ControlId::CtrlOption, true, false, BST_UNCHECKED},  // "(coming soon)": greyed
    {ControlId::AltOption, true, true, BST_CHECKED},
    {ControlId::GroupBox, false, true, -1},
    {ControlId::Banner, false, true, -1},
    {ControlId::AutostartBox, false, true, BST_UNCHECKED},
};

RECT ClientRect(HWND w) {
    RECT r{};
    GetClientRect(w, &r);
    return r;
}

RECT RectInParent(HWND w) {
    const Bounds b = GetBounds(w);
    return {b.left, b.top, b.left + b.width, b.top + b.height};
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) children.push_back(c);
    return children;
}

TEST_F(MainWindowTest, Controls_ShownEnabledAndCheckedAsAPersonFindsThem) {
    SetMainWindowVisible(true);
    const HWND groupBox = Ctl(ControlId::GroupBox);
    for (const ControlFacts& c : controlFacts) {
        SCOPED_TRACE(static_cast<int>(c.id));
        const HWND w = Ctl(c.id);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(GetParent(w), c.inGroupBox ? groupBox : window);
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_EQ(IsWindowEnabled(w) != 0, c.enabled);
        if (c.id != ControlId::Banner) {
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
        }
        if (c.check >= 0) {
            EXPECT_EQ(SendMessageA(w, BM_GETCHECK, 0, 0), c.check);
        }
    }
    const HWND spin = DelayBoxSpinButtons(Ctl(ControlId::DelayBox));
    ASSERT_NE(spin, nullptr);
    EXPECT_TRUE(IsWindowVisible(spin)) << "the spin buttons show with the box";
    EXPECT_EQ(GetParent(spin), window);

    // Creation order is the order among the main window's children, which is
    // the order they are painted and hit-tested in.
    std::vector<HWND> order;
    for (HWND c : Children(window))
        if (c == Ctl(ControlId::DelayBox) || c == Ctl(ControlId::DelayLabel) || c == groupBox ||
            c == Ctl(ControlId::Banner) || c == Ctl(ControlId::AutostartBox))
            order.push_back(c);
    EXPECT_EQ(order, (std::vector<HWND>{Ctl(ControlId::DelayBox), Ctl(ControlId::DelayLabel), groupBox,
                                        Ctl(ControlId::Banner), Ctl(ControlId::AutostartBox)}));
}

TEST_F(MainWindowTest, Controls_NoTwoOverlap_EachLiesInsideItsParent) {
    for (const HWND parent : {window, Ctl(ControlId::GroupBox)}) {
        const std::vector<HWND> children = Children(parent);
        ASSERT_GE(children.size(), 2u);
        const RECT client = ClientRect(parent);
        for (size_t i = 0; i < children.size(); ++i) {
            const RECT r = RectInParent(children[i]);
            SCOPED_TRACE(testing::Message() << ClassOf(children[i]) << " at " << r.left << "," << r.top << " "
                                            << r.right - r.left << "x" << r.bottom - r.top);
            EXPECT_GT(r.right - r.left, 0);
            EXPECT_GT(r.bottom - r.top, 0);
            EXPECT_GE(r.left, client.left);
            EXPECT_GE(r.top, client.top);
            EXPECT_LE(r.bottom, client.bottom);
            // The layout gives the banner 400 pixels, more than the client
            // area is wide: its right edge is cut off by the window.
            if (children[i] != Ctl(ControlId::Banner)) {
                EXPECT_LE(r.right, client.right);
            }
            for (size_t j = i + 1; j < children.size(); ++j) {
                RECT both{};
                const RECT other = RectInParent(children[j]);
                EXPECT_FALSE(IntersectRect(&both, &r, &other))
                    << "overlaps " << ClassOf(children[j]) << " at " << other.left << "," << other.top;
            }
        }
    }
}

TEST_F(MainWindowTest, Controls_CaptionsFitTheirControlsInTheirFont) {
    // Room the system takes from a button's caption: the check mark and its gap;
    // for the group box, the frame on each side.
    const int checkRoom = GetSystemMetrics(SM_CXMENUCHECK) + 4;
    const int frameRoom = 2 * 8;
    struct Case {
        ControlId id;
        int room;
    };
    const Case cases[] = {
        {ControlId::DelayLabel, 0},          {ControlId::CtrlOption, checkRoom}, {ControlId::AltOption, checkRoom},
        {ControlId::GroupBox, frameRoom},    {ControlId::AutostartBox, checkRoom},
    };
    const HDC dc = GetDC(window);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.id));
        const HWND w = Ctl(c.id);
        const std::string caption = GetControlText(w);
        ASSERT_FALSE(caption.empty());
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(w, WM_GETFONT, 0, 0)));
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        const RECT client = ClientRect(w);
        int lines = 0;
        size_t start = 0;
        while (start <= caption.size()) {
            const size_t end = std::min(caption.find("\r\n", start), caption.size());
            const std::string line = caption.substr(start, end - start);
            SIZE extent{};
            GetTextExtentPoint32A(dc, line.c_str(), static_cast<int>(line.size()), &extent);
            EXPECT_LE(extent.cx + c.room, client.right) << "cut off: " << line;
            ++lines;
            start = end + 2;
        }
        if (c.id != ControlId::GroupBox) {
            EXPECT_LE(lines * metrics.tmHeight, client.bottom) << lines << " lines";
        }
        SelectObject(dc, old);
    }
    ReleaseDC(window, dc);
}

TEST_F(MainWindowTest, Colours_BlackTextOnButtonFace_WhiteDelayBox) {
    struct Case {
        UINT message;
        ControlId control;
        COLORREF background;
    };
    const std::vector<Case> cases = {
        {WM_CTLCOLOREDIT, ControlId::DelayBox, RGB(255, 255, 255)},
        {WM_CTLCOLORSTATIC, ControlId::DelayBox, RGB(255, 255, 255)},
        {WM_CTLCOLORSTATIC, ControlId::GroupBox, GetSysColor(COLOR_BTNFACE)},
        {WM_CTLCOLORBTN, ControlId::AutostartBox, GetSysColor(COLOR_BTNFACE)},
        {WM_CTLCOLORSTATIC, ControlId::AutostartBox, GetSysColor(COLOR_BTNFACE)},
    };
    const HDC dc = CreateCompatibleDC(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.message << " " << static_cast<int>(c.control));
        SetTextColor(dc, RGB(1, 2, 3));
        SetBkColor(dc, RGB(4, 5, 6));
        const auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(window, c.message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Ctl(c.control))));
        ASSERT_NE(brush, nullptr);
        LOGBRUSH lb{};
        GetObjectA(brush, sizeof lb, &lb);
        EXPECT_EQ(lb.lbColor, c.background);
        EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
        EXPECT_EQ(GetBkColor(dc), c.background);
    }
    // The option buttons ask their parent, the group box, which passes the question on.
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageA(Ctl(ControlId::GroupBox), WM_CTLCOLORSTATIC,
        reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(Ctl(ControlId::AltOption))));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_BTNFACE));
    DeleteDC(dc);
}

// Controls made during creation raise nothing; the first event is onCreated,
// and events flow from inside it.
void ChangeTextWhileCreated() {
    SetControlText(ControlHandle(ControlId::DelayBox), "250");
}

TEST_F(MainWindowTest, Events_NoneBeforeOnCreated_AndTheyFlowInsideIt) {
    EXPECT_EQ(eventLog, std::vector<std::string>{"created"});
    DestroyWindow(window);
    Pump();

    eventLog.clear();
    whileCreated = ChangeTextWhileCreated;
    ASSERT_TRUE(CreateMainWindow());
    EXPECT_EQ(eventLog, (std::vector<std::string>{"created", "delayText"}));
}

TEST_F(MainWindowTest, UserEdits_RaiseTheirEvents) {
    const HWND box = Ctl(ControlId::DelayBox);
    SendMessageA(box, WM_CHAR, '7', 0);
    EXPECT_EQ(GetControlText(box), "7100");
    EXPECT_EQ(Count("delayText"), 1);

    // A click sees the state after the click.
    SendMessageA(Ctl(ControlId::AutostartBox), BM_CLICK, 0, 0);
    SendMessageA(Ctl(ControlId::AutostartBox), BM_CLICK, 0, 0);
    EXPECT_EQ(Count("autostartClick:1"), 1);
    EXPECT_EQ(Count("autostartClick:0"), 1);
}

TEST_F(MainWindowTest, CloseQuery_HidesAndKeepsTheWindow) {
    for (const char* how : {"WM_CLOSE", "SC_CLOSE"}) {
        SCOPED_TRACE(how);
        SetMainWindowVisible(true);
        ASSERT_TRUE(IsMainWindowVisible());
        if (how[0] == 'W')
            SendMessageA(window, WM_CLOSE, 0, 0);
        else
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        Pump();
        EXPECT_TRUE(IsWindow(window));
        EXPECT_FALSE(IsMainWindowVisible());
    }
    EXPECT_EQ(Count("closeQuery"), 2);
    EXPECT_EQ(Count("willBeDestroyed"), 0);
}

TEST_F(MainWindowTest, CloseQuery_AnsweredTrue_DestroysTheWindowInOrder) {
    closeQueryAnswer = 1;
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(MainWindowHandle(), nullptr);
    EXPECT_EQ(ControlHandle(ControlId::DelayBox), nullptr);
    EXPECT_EQ(eventLog, (std::vector<std::string>{"created", "closeQuery", "willBeDestroyed", "removeTray", "destroyed"}));
}

TEST_F(MainWindowTest, SessionEnd_IsNeverRefused_AndShutsDownOnlyWhenItEnds) {
    SetMainWindowVisible(true);
    EXPECT_EQ(SendMessageA(window, WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(IsMainWindowVisible()) << "nothing is hidden for the query";
    EXPECT_EQ(Count("closeQuery"), 0);

    SendMessageA(window, WM_ENDSESSION, FALSE, 0);
    EXPECT_EQ(Count("endSession"), 0) << "the session goes on";
    SendMessageA(window, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(Count("endSession"), 1);
}

TEST_F(MainWindowTest, TrayMessage_BecomesItsEventCode) {
    struct Case {
        LPARAM mouse;
        const char* expected;  // null: no event
    };
    const std::vector<Case> cases = {
        {WM_LBUTTONUP, "tray:1"}, {WM_LBUTTONDBLCLK, "tray:2"}, {WM_RBUTTONUP, "tray:3"},
        {WM_CONTEXTMENU, "tray:3"}, {WM_LBUTTONDOWN, nullptr}, {WM_MOUSEMOVE, nullptr},
        {WM_RBUTTONDOWN, nullptr}, {WM_RBUTTONDBLCLK, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mouse);
        eventLog.clear();
        SendMessageA(window, 0x8064, 12345, c.mouse);
        EXPECT_EQ(eventLog, c.expected ? std::vector<std::string>{c.expected} : std::vector<std::string>{});
    }
}

TEST_F(MainWindowTest, MenuCommands_InTheirRange_BecomeItemPositions) {
    struct Case {
        WPARAM id;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {19999, nullptr}, {20000, "menu:0"}, {20001, "menu:1"}, {20002, "menu:2"},
        {57599, "menu:37599"}, {57600, nullptr}, {65535, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        eventLog.clear();
        SendMessageA(window, WM_COMMAND, c.id, 0);
        EXPECT_EQ(eventLog, c.expected ? std::vector<std::string>{c.expected} : std::vector<std::string>{});
    }
}

TEST_F(MainWindowTest, TaskbarCreated_IsPassedOn) {
    SendMessageA(window, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(Count("taskbarCreated"), 1);
}

TEST_F(MainWindowTest, DestroyRequest_WithoutTheMarkIsIgnored_RepeatedOnesDestroyOnce) {
    PostMessageA(window, 0x8065, 0, 0);
    Pump();
    ASSERT_TRUE(IsWindow(window));

    const HMENU bar = GetMenu(window);
    DestroyMainWindow();
    DestroyMainWindow();
    EXPECT_TRUE(IsWindow(window)) << "the request is only queued";
    Pump();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(IsMenu(bar)) << "the empty menu bar is destroyed with the window";
    EXPECT_EQ(eventLog, (std::vector<std::string>{"created", "willBeDestroyed", "removeTray", "destroyed"}));

    // A new window starts without the mark.
    eventLog.clear();
    ASSERT_TRUE(CreateMainWindow());
    PostMessageA(MainWindowHandle(), 0x8065, 0, 0);
    Pump();
    EXPECT_NE(MainWindowHandle(), nullptr);
}

TEST_F(MainWindowTest, Visibility_ShowsActivatedAndHides) {
    SetMainWindowVisible(true);
    EXPECT_TRUE(IsMainWindowVisible());
    EXPECT_EQ(GetActiveWindow(), window);
    SetMainWindowVisible(false);
    EXPECT_FALSE(IsMainWindowVisible());
    EXPECT_FALSE(IsWindowVisible(window));
}

}  // namespace
