// The window as built, and the messages it turns into events.
#include "WindowFixture.h"

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

TEST_F(MainWindowTest, Controls_AreBuiltAsTheLayoutTableGivesThem) {
    struct Case {
        ControlId id;
        const char* className;  // null: a class of the window's own
        DWORD style;            // besides WS_CHILD, WS_CLIPSIBLINGS and WS_VISIBLE
        DWORD exStyle;
        Bounds bounds;
        const char* caption;
        bool inGroupBox;
        int check;  // -1: not a button with a check state
    };
    const DWORD option = BS_AUTORADIOBUTTON | BS_MULTILINE | BS_LEFT | BS_VCENTER | WS_TABSTOP;
    const std::vector<Case> cases = {
        {ControlId::DelayBox, "Edit", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, {217, 220, 48, 21}, "100", false, -1},
        {ControlId::DelayLabel, nullptr, 0, 0, {103, 220, 100, 24}, "\xB2\xD9\xD7\xF7\xD1\xD3\xB3\xD9" "(ms)", false, -1},
        {ControlId::CtrlOption, "Button", option | WS_DISABLED, 0, {96, 28, 115, 32},
         "\xD3\xD2" "Ctrl\r\n(" "\xBC\xB4\xBD\xAB\xCD\xC6\xB3\xF6" ")", true, BST_UNCHECKED},
        {ControlId::AltOption, "Button", option, 0, {16, 32, 70, 24}, "\xD3\xD2" "Alt", true, BST_CHECKED},
        {ControlId::GroupBox, "Button", BS_GROUPBOX | BS_LEFT, 0, {70, 92, 240, 72},
         "\xBD\xAB\xC4\xC4\xB8\xF6\xBC\xFC\xD3\xB3\xC9\xE4\xCE\xAA" "Menu", false, -1},
        {ControlId::Banner, nullptr, 0, 0, {0, 10, 400, 80}, "", false, -1},
        {ControlId::AutostartBox, "Button", BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER | WS_TABSTOP, 0,
         {125, 180, 130, 24}, "\xBF\xAA\xBB\xFA\xD7\xD4\xB6\xAF\xC6\xF4\xB6\xAF", false, BST_UNCHECKED},
    };
    const HWND groupBox = Ctl(ControlId::GroupBox);
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.id));
        const HWND w = Ctl(c.id);
        ASSERT_NE(w, nullptr);
        if (c.className) {
            EXPECT_EQ(lstrcmpiA(ClassOf(w).c_str(), c.className), 0) << ClassOf(w);
        }
        const DWORD style = static_cast<DWORD>(GetWindowLongA(w, GWL_STYLE));
        // BM_SETCHECK moves WS_TABSTOP to the checked option button, as Windows does.
        const DWORD expectedStyle = c.check == BST_UNCHECKED && c.inGroupBox ? c.style & ~DWORD{WS_TABSTOP} : c.style;
        EXPECT_EQ(style & ~DWORD{WS_VISIBLE}, WS_CHILD | WS_CLIPSIBLINGS | expectedStyle);
        EXPECT_TRUE(style & WS_VISIBLE);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(w, GWL_EXSTYLE)) & ~DWORD{WS_EX_NOPARENTNOTIFY}, c.exStyle);
        EXPECT_EQ(GetBounds(w), c.bounds);
        EXPECT_EQ(GetControlText(w), c.caption);
        EXPECT_EQ(GetParent(w), c.inGroupBox ? groupBox : window);
        if (c.id != ControlId::Banner) {
            EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), GetStockObject(DEFAULT_GUI_FONT));
        }
        if (c.check >= 0) {
            EXPECT_EQ(SendMessageA(w, BM_GETCHECK, 0, 0), c.check);
        }
    }
    // Creation order is the table's order among the main window's children.
    std::vector<HWND> order;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (c == Ctl(ControlId::DelayBox) || c == Ctl(ControlId::DelayLabel) || c == groupBox ||
            c == Ctl(ControlId::Banner) || c == Ctl(ControlId::AutostartBox))
            order.push_back(c);
    EXPECT_EQ(order, (std::vector<HWND>{Ctl(ControlId::DelayBox), Ctl(ControlId::DelayLabel), groupBox,
                                        Ctl(ControlId::Banner), Ctl(ControlId::AutostartBox)}));
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
