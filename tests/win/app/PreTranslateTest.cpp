// Keyboard navigation: which messages the window consumes, and where the focus goes.
#include "WindowFixture.h"

namespace {

class PreTranslateTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        SetMainWindowVisible(true);
        SetShift(false);
    }
    void TearDown() override {
        SetShift(false);
        MainWindowTest::TearDown();
    }
    static void SetShift(bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    static bool Offer(HWND target, UINT message, WPARAM key) {
        MSG msg{target, message, key, 0, 0, {0, 0}};
        return PreTranslateWindowMessage(&msg);
    }
    static bool PressOnFocus(WPARAM key) { return Offer(GetFocus(), WM_KEYDOWN, key); }
};

TEST_F(PreTranslateTest, Tab_CyclesThroughTheThreeFocusableControls) {
    const HWND box = Ctl(ControlId::DelayBox), alt = Ctl(ControlId::AltOption), autostart = Ctl(ControlId::AutostartBox);
    SetFocus(box);
    ASSERT_EQ(GetFocus(), box);
    std::vector<HWND> visited;
    for (int i = 0; i < 6; ++i) {
        EXPECT_TRUE(PressOnFocus(VK_TAB));
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited, (std::vector<HWND>{alt, autostart, box, alt, autostart, box}));

    SetShift(true);
    visited.clear();
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(PressOnFocus(VK_TAB));
        visited.push_back(GetFocus());
    }
    EXPECT_EQ(visited, (std::vector<HWND>{autostart, alt, box}));
}

TEST_F(PreTranslateTest, Tab_FromTheWindowItselfEntersTheCycle_SkipsHiddenControls) {
    SetFocus(window);
    EXPECT_TRUE(PressOnFocus(VK_TAB));
    EXPECT_EQ(GetFocus(), Ctl(ControlId::DelayBox));

    ShowWindow(Ctl(ControlId::AltOption), SW_HIDE);
    EXPECT_TRUE(PressOnFocus(VK_TAB));
    EXPECT_EQ(GetFocus(), Ctl(ControlId::AutostartBox));
    EnableWindow(Ctl(ControlId::DelayBox), FALSE);
    EXPECT_TRUE(PressOnFocus(VK_TAB));
    EXPECT_EQ(GetFocus(), Ctl(ControlId::AutostartBox)) << "the only control left";
}

TEST_F(PreTranslateTest, Arrows_OnTheOptionsConsumed_RightAltStaysChecked) {
    const HWND alt = Ctl(ControlId::AltOption), ctrl = Ctl(ControlId::CtrlOption);
    SetFocus(alt);
    for (WPARAM key : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN}) {
        SCOPED_TRACE(key);
        EXPECT_TRUE(PressOnFocus(key));
        EXPECT_EQ(GetFocus(), alt);
        EXPECT_TRUE(IsChecked(alt));
        EXPECT_FALSE(IsChecked(ctrl));
    }
    // In the delay box the arrows move the caret: not consumed.
    SetFocus(Ctl(ControlId::DelayBox));
    EXPECT_FALSE(PressOnFocus(VK_LEFT));
}

TEST_F(PreTranslateTest, OtherKeysAndMessages_AreNotConsumed) {
    struct Case {
        const char* name;
        ControlId target;
        UINT message;
        WPARAM key;
    };
    const std::vector<Case> cases = {
        {"Enter", ControlId::DelayBox, WM_KEYDOWN, VK_RETURN},
        {"Esc", ControlId::DelayBox, WM_KEYDOWN, VK_ESCAPE},
        {"F1", ControlId::AutostartBox, WM_KEYDOWN, VK_F1},
        {"a digit", ControlId::DelayBox, WM_KEYDOWN, '5'},
        {"Alt+S", ControlId::AutostartBox, WM_SYSKEYDOWN, 'S'},
        {"Tab released", ControlId::DelayBox, WM_KEYUP, VK_TAB},
        {"a Tab character", ControlId::DelayBox, WM_CHAR, '\t'},
        {"Tab to a disabled window", ControlId::CtrlOption, WM_KEYDOWN, VK_TAB},
        {"an arrow to a disabled option", ControlId::CtrlOption, WM_KEYDOWN, VK_LEFT},
        {"a mouse message", ControlId::AutostartBox, WM_LBUTTONDOWN, 0},
    };
    SetFocus(Ctl(ControlId::DelayBox));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(Offer(Ctl(c.target), c.message, c.key));
        EXPECT_EQ(GetFocus(), Ctl(ControlId::DelayBox));
    }
    EXPECT_FALSE(PreTranslateWindowMessage(nullptr));
}

TEST_F(PreTranslateTest, KeysForOtherWindows_AreLeftAlone) {
    const HWND other = CreateWindowExA(0, "EDIT", "", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 100, 30, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(Offer(other, WM_KEYDOWN, VK_TAB));
    EXPECT_FALSE(Offer(nullptr, WM_KEYDOWN, VK_TAB)) << "a thread message";
    // A disabled main window (under a task-modal message box) consumes nothing.
    EnableWindow(window, FALSE);
    EXPECT_FALSE(Offer(window, WM_KEYDOWN, VK_TAB));
    EnableWindow(window, TRUE);
    DestroyWindow(other);
}

}  // namespace

namespace {

struct OffThread {
    HWND target;
    bool consumed = true;
};

DWORD WINAPI PreTranslateOnWorker(LPVOID parameter) {
    auto* run = static_cast<OffThread*>(parameter);
    // The message a worker's pumped wait would offer: taken from this thread's
    // own queue, aimed at one of the window's controls.
    MSG msg{};
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
    PostThreadMessageA(GetCurrentThreadId(), WM_KEYDOWN, VK_TAB, 0);
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0 || msg.message != WM_KEYDOWN) return 1;
    msg.hwnd = run->target;
    run->consumed = PreTranslateWindowMessage(&msg);
    return 0;
}

TEST_F(PreTranslateTest, OffTheUiThread_AKeyIsNotTheWindowsAndNothingMoves) {
    const HWND box = Ctl(ControlId::DelayBox);
    SetFocus(box);
    ASSERT_EQ(GetFocus(), box);
    OffThread run{box};
    const HANDLE worker = CreateThread(nullptr, 0, PreTranslateOnWorker, &run, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    // Messages the worker sends to the window are answered while waiting.
    const DWORD deadline = GetTickCount() + 30000;
    while (MsgWaitForMultipleObjects(1, &worker, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0 &&
           static_cast<LONG>(deadline - GetTickCount()) > 0)
        Pump();
    ASSERT_EQ(WaitForSingleObject(worker, 0), WAIT_OBJECT_0);
    DWORD result = 1;
    GetExitCodeThread(worker, &result);
    CloseHandle(worker);
    ASSERT_EQ(result, 0u) << "the worker did not get its posted key";
    EXPECT_FALSE(run.consumed);
    Pump();
    EXPECT_EQ(GetFocus(), box);
}

}  // namespace
