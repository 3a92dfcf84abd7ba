// The Win32 layer of the key remapping against Wine's real queue, hooks and
// input: the pumped wait, the pre-translation it offers messages to, and the
// hook procedure in a chain of hooks.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <functional>
#include <utility>
#include <vector>

#include "keymap/KeyboardHook.h"
#include "keymap/PumpedWaitWin.h"

namespace {

constexpr UINT appMessage = WM_APP + 1;

// Runs a job on another thread; join() waits for it. Plain CreateThread, so the
// tests build with either threading model of the cross compiler.
class Background {
public:
    explicit Background(std::function<void()> job) : job_(std::move(job)) {
        thread_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
    }
    ~Background() { join(); }
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;
    void join() {
        if (!thread_) return;
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
    }

private:
    static DWORD WINAPI Run(LPVOID self) {
        static_cast<Background*>(self)->job_();
        return 0;
    }
    std::function<void()> job_;
    HANDLE thread_ = nullptr;
};

// What the test window's procedure received, in order.
std::vector<std::pair<UINT, WPARAM>> received;

LRESULT CALLBACK RecordingWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP || msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP)
        received.emplace_back(msg, wp);
    return DefWindowProcA(w, msg, wp, lp);
}

std::vector<UINT> ReceivedAppMessages() {
    std::vector<UINT> ids;
    for (const auto& [msg, wp] : received)
        if (msg >= WM_APP) ids.push_back(msg);
    return ids;
}

// A visible, focused top-level window on the test's thread, and a queue emptied
// of whatever came before. The window lives as long as the process: under Wine
// without a window manager, hiding or destroying a window waits 2 s each time.
class KeymapWin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (window_) return;
        WNDCLASSA wc{};
        wc.lpfnWndProc = &RecordingWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KeymapTestWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, "KeymapTestWindow", "keymap test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                  300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    }
    void SetUp() override {
        ASSERT_NE(window_, nullptr);
        SetForegroundWindow(window_);
        SetFocus(window_);
        Drain();
        received.clear();
        SetPreTranslate(nullptr);
    }
    void TearDown() override {
        SetPreTranslate(nullptr);
        Drain();
    }
    static void Drain() {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    static inline HWND window_ = nullptr;
};

TEST_F(KeymapWin, DelayWithEvents_DispatchesMessagesPostedBeforeAndDuringTheWait) {
    PostMessageA(window_, appMessage, 0, 0);
    const HWND target = window_;
    Background poster([target] {
        Sleep(60);
        PostMessageA(target, appMessage + 1, 0, 0);
    });
    const DWORD start = GetTickCount();
    DelayWithEvents(250);
    const DWORD elapsed = GetTickCount() - start;
    poster.join();
    // Nothing else pumps this thread: both were dispatched inside the wait.
    EXPECT_EQ(ReceivedAppMessages(), (std::vector<UINT>{appMessage, appMessage + 1}));
    EXPECT_GT(elapsed, 250u) << "the wait lasts more than its milliseconds";
}

TEST_F(KeymapWin, DelayWithEvents_LeavesTheQuitAtTheHeadAndDispatchesNothingBehindIt) {
    // A quit posted to the thread sits in order among the posted messages.
    PostMessageA(window_, appMessage, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 7, 0);
    PostMessageA(window_, appMessage + 1, 0, 0);
    const HWND target = window_;
    Background poster([target] {
        Sleep(40);
        PostMessageA(target, appMessage + 2, 0, 0);
    });
    const DWORD start = GetTickCount();
    DelayWithEvents(150);
    const DWORD elapsed = GetTickCount() - start;
    poster.join();

    EXPECT_EQ(ReceivedAppMessages(), (std::vector<UINT>{appMessage}));
    EXPECT_GT(elapsed, 150u) << "the wait runs its full length with a quit at the head";
    MSG m{};
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 0) << "the main loop still finds the quit";
    EXPECT_EQ(m.wParam, 7u);
    std::vector<UINT> behind;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
        if (m.message >= WM_APP) behind.push_back(m.message);
    EXPECT_EQ(behind, (std::vector<UINT>{appMessage + 1, appMessage + 2}));
}

TEST_F(KeymapWin, DelayWithEvents_KeepsAQuitPostedByPostQuitMessage) {
    PostQuitMessage(3);
    DelayWithEvents(50);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 3u);
}

// Counts the looks at the queue: a wait that spun would make hundreds of
// thousands of them in these 300 ms; one that blocks makes a handful.
class CountingPump : public Win32MessagePumpOps {
public:
    bool peekHead(uint32_t& message) override {
        ++peeks;
        return Win32MessagePumpOps::peekHead(message);
    }
    int peeks = 0;
};

TEST_F(KeymapWin, DelayWithEvents_BlocksInsteadOfSpinning) {
    struct Case {
        const char* name;
        bool quitAtHead;
    };
    for (const Case& c : {Case{"empty queue", false}, Case{"quit at the head", true}}) {
        SCOPED_TRACE(c.name);
        if (c.quitAtHead) PostQuitMessage(0);
        CountingPump pump;
        const DWORD start = GetTickCount();
        keymap::DelayWithEvents(pump, 300);
        EXPECT_GT(GetTickCount() - start, 300u);
        EXPECT_LT(pump.peeks, 100);
        Drain();
    }
}

std::vector<UINT> preTranslated;
bool RecordingPreTranslate(void* msg) {
    const UINT id = static_cast<MSG*>(msg)->message;
    if (id >= WM_APP) preTranslated.push_back(id);
    return id == appMessage + 1;  // consumes this one
}

TEST_F(KeymapWin, DelayWithEvents_OffersEveryMessageToTheRegisteredPreTranslation) {
    struct Case {
        const char* name;
        PreTranslateFn fn;
        std::vector<UINT> preTranslated;
        std::vector<UINT> dispatched;
    };
    const std::vector<Case> cases = {
        {"registered: consumed message not dispatched", &RecordingPreTranslate, {appMessage, appMessage + 1},
         {appMessage}},
        {"none registered: all dispatched", nullptr, {}, {appMessage, appMessage + 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        received.clear();
        preTranslated.clear();
        SetPreTranslate(c.fn);
        PostMessageA(window_, appMessage, 0, 0);
        PostMessageA(window_, appMessage + 1, 0, 0);
        DelayWithEvents(20);
        EXPECT_EQ(preTranslated, c.preTranslated);
        EXPECT_EQ(ReceivedAppMessages(), c.dispatched);
    }
}

// A low-level hook installed before ours, so it is the next one in the chain:
// it records what reaches it, with our detector's state at that moment, and
// answers as the test says.
struct Seen {
    WPARAM message;
    DWORD vk;
    bool armed;
};
std::vector<Seen> seenBelow;
LRESULT belowAnswer = 0;
HHOOK belowHook = nullptr;

LRESULT CALLBACK BelowHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* e = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    seenBelow.push_back({wParam, e->vkCode, tapDetector.altArmed()});
    if (e->vkCode == 'Q') return belowAnswer;
    return CallNextHookEx(belowHook, nCode, wParam, lParam);
}

class KeymapHookChain : public KeymapWin {
protected:
    void SetUp() override {
        KeymapWin::SetUp();
        seenBelow.clear();
        belowAnswer = 0;
        belowHook = SetWindowsHookExA(WH_KEYBOARD_LL, &BelowHookProc, GetModuleHandleA(nullptr), 0);
        ASSERT_NE(belowHook, nullptr);
        // A fresh watchdog: the last test's shutdown steps refuse every install.
        hookWatchdog = keymap::HookWatchdog{};
        InstallKeyboardHook(nullptr);
        ASSERT_NE(hookHandle, nullptr);
    }
    void TearDown() override {
        RemoveKeyboardHook();
        UnhookWindowsHookEx(belowHook);
        KeymapWin::TearDown();
    }
    // Keys injected from another thread while this one is inside the pumped wait.
    static void InjectDuringWait(std::vector<std::pair<BYTE, DWORD>> keys, int32_t waitMs) {
        Background typist([keys] {
            Sleep(50);
            for (const auto& [vk, flags] : keys) keybd_event(vk, 0, flags, 0);
        });
        DelayWithEvents(waitMs);
        typist.join();
    }
    bool WindowGot(UINT msg, WPARAM vk) const {
        for (const auto& r : received)
            if (r.first == msg && r.second == vk) return true;
        return false;
    }
};

TEST_F(KeymapHookChain, HookProc_ReturnsWhatTheNextHookReturned) {
    for (LRESULT answer : {LRESULT{0}, LRESULT{1}}) {
        SCOPED_TRACE(answer);
        received.clear();
        seenBelow.clear();
        belowAnswer = answer;
        InjectDuringWait({{'Q', 0}, {'Q', KEYEVENTF_KEYUP}}, 300);
        // Our hook ran inside the wait and handed each event on unchanged...
        ASSERT_EQ(seenBelow.size(), 2u);
        EXPECT_EQ(seenBelow[0].message, static_cast<WPARAM>(WM_KEYDOWN));
        EXPECT_EQ(seenBelow[0].vk, static_cast<DWORD>('Q'));
        EXPECT_EQ(seenBelow[1].message, static_cast<WPARAM>(WM_KEYUP));
        // ...and returned the next hook's answer: 1 swallows the key, 0 lets it through.
        EXPECT_EQ(WindowGot(WM_KEYDOWN, 'Q'), answer == 0);
    }
}

TEST_F(KeymapHookChain, HookProc_FeedsTheDetectorDuringTheWaitBeforeHandingOn) {
    // Right Alt down, Q down and up while it is held (cancels), right Alt up.
    InjectDuringWait({{VK_RMENU, 0}, {'Q', 0}, {'Q', KEYEVENTF_KEYUP}, {VK_RMENU, KEYEVENTF_KEYUP}}, 300);
    ASSERT_EQ(seenBelow.size(), 4u);
    EXPECT_EQ(seenBelow[0].message, static_cast<WPARAM>(WM_SYSKEYDOWN));
    EXPECT_EQ(seenBelow[0].vk, static_cast<DWORD>(VK_RMENU));
    EXPECT_TRUE(seenBelow[0].armed) << "our hook saw the press before the next hook";
    EXPECT_EQ(seenBelow[2].message, static_cast<WPARAM>(WM_SYSKEYUP));
    EXPECT_FALSE(seenBelow[2].armed) << "Q released while Alt is held cancels";
    EXPECT_FALSE(tapDetector.altArmed());
    for (const Seen& s : seenBelow) EXPECT_NE(s.vk, static_cast<DWORD>(VK_APPS)) << "no worker was started";
}

TEST_F(KeymapHookChain, HookProc_ATapWhateverNCode_StartsAWorkerThatSendsTheMenuKey) {
    // Called directly, as the system would, with a negative nCode.
    KBDLLHOOKSTRUCT press{};
    press.vkCode = 0x100 | VK_RMENU;  // only the low 8 bits count
    KBDLLHOOKSTRUCT release = press;
    KeyboardHookProc(-1, WM_SYSKEYDOWN, reinterpret_cast<LPARAM>(&press));
    EXPECT_TRUE(tapDetector.altArmed());
    KeyboardHookProc(-1, WM_KEYUP, reinterpret_cast<LPARAM>(&release));
    EXPECT_FALSE(tapDetector.altArmed());
    DelayWithEvents(500);  // the worker's keys pass through both hooks

    std::vector<std::pair<WPARAM, DWORD>> keys;
    for (const Seen& s : seenBelow) keys.emplace_back(s.message, s.vk);
    // The test window is plain: the Menu key alone, no Escape.
    EXPECT_EQ(keys, (std::vector<std::pair<WPARAM, DWORD>>{{WM_KEYDOWN, VK_APPS}, {WM_KEYUP, VK_APPS}}));
    EXPECT_TRUE(WindowGot(WM_KEYDOWN, VK_APPS));
}

}  // namespace
