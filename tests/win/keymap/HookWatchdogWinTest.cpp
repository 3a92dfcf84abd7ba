// The hook watchdog against Wine's real hooks, raw input and timers: the real
// hook procedure and watchdog, through operations that count installs and
// removals and a hook procedure that counts its calls before it hands each to
// KeyboardHookProc. The hook is removed behind the watchdog's back with
// UnhookWindowsHookEx, as the system would drop it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "keymap/KeyboardHook.h"

#include <wtsapi32.h>

namespace {

// Generous: a machine under load; the loops end as soon as the thing happens.
constexpr DWORD deadlineMs = 30000;

// Every call of the installed procedure, as (message, key) with the system-key
// variants of the worker's keys folded in: under Wine a key injected right
// after right Alt's release may still come as a system key.
std::vector<std::pair<WPARAM, DWORD>> procedureCalls;
int menuKeysReceived = 0;

LRESULT CALLBACK CountingHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* e = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    WPARAM message = wParam;
    if (e->vkCode == VK_APPS && message == WM_SYSKEYDOWN) message = WM_KEYDOWN;
    if (e->vkCode == VK_APPS && message == WM_SYSKEYUP) message = WM_KEYUP;
    procedureCalls.emplace_back(message, e->vkCode);
    return KeyboardHookProc(nCode, wParam, lParam);
}

class RecordingHookOps : public Win32HookOps {
public:
    RecordingHookOps() : Win32HookOps(&CountingHookProc) {}
    bool install() override {
        ++installs;
        return Win32HookOps::install();
    }
    void remove() override {
        ++removals;
        Win32HookOps::remove();
    }
    bool armCheck() override {
        ++checks;
        return Win32HookOps::armCheck();
    }
    int installs = 0, removals = 0, checks = 0;
};

// The watch window's procedure passes raw input on as the main window does.
LRESULT CALLBACK WatchWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INPUT) {
        onKeyboardInput(static_cast<uint32_t>(GetMessageTime()));
        return DefWindowProcA(w, msg, wp, lp);
    }
    if ((msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) && wp == VK_APPS) ++menuKeysReceived;
    return DefWindowProcA(w, msg, wp, lp);
}

// Injects keys on a thread of its own: the test's thread must keep retrieving
// messages, which is where the hook is called.
class Typist {
public:
    explicit Typist(std::vector<std::pair<BYTE, DWORD>> keys, DWORD gapEvery = 0)
        : keys_(std::move(keys)), gapEvery_(gapEvery) {
        thread_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
    }
    ~Typist() { Finish(); }
    Typist(const Typist&) = delete;
    Typist& operator=(const Typist&) = delete;
    // Waits for the last key while dispatching this thread's messages.
    void Finish() {
        if (!thread_) return;
        while (WaitForSingleObject(thread_, 0) == WAIT_TIMEOUT) DelayWithEvents(10);
        CloseHandle(thread_);
        thread_ = nullptr;
    }

private:
    static DWORD WINAPI Run(LPVOID self) {
        auto* t = static_cast<Typist*>(self);
        DWORD n = 0;
        for (const auto& [vk, flags] : t->keys_) {
            keybd_event(vk, 0, flags, 0);
            if (t->gapEvery_ && ++n % t->gapEvery_ == 0) Sleep(1);
        }
        return 0;
    }
    std::vector<std::pair<BYTE, DWORD>> keys_;
    DWORD gapEvery_;
    HANDLE thread_ = nullptr;
};

const std::vector<std::pair<BYTE, DWORD>> neutralKey = {{VK_F15, 0}, {VK_F15, KEYEVENTF_KEYUP}};
// Right Alt down, X down, right Alt up, X up: the sequence that counts as a
// tap under Wine as on Windows.
const std::vector<std::pair<BYTE, DWORD>> tapSequence = {
    {VK_RMENU, 0}, {'X', 0}, {VK_RMENU, KEYEVENTF_KEYUP}, {'X', KEYEVENTF_KEYUP}};

// Dispatches messages until done() or the deadline; answers done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = deadlineMs) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return done();
        DelayWithEvents(20);
    }
    return true;
}

std::map<std::pair<WPARAM, DWORD>, int> Counted(const std::vector<std::pair<WPARAM, DWORD>>& calls) {
    std::map<std::pair<WPARAM, DWORD>, int> counts;
    for (const auto& c : calls) ++counts[c];
    return counts;
}

class HookWatchdogWin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (window_) return;
        WNDCLASSA wc{};
        wc.lpfnWndProc = &WatchWindowProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "HookWatchdogTestWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(0, wc.lpszClassName, "hook watchdog test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                  100, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    }
    void SetUp() override {
        ASSERT_NE(window_, nullptr);
        SetForegroundWindow(window_);
        SetFocus(window_);
        DelayWithEvents(50);
        // A fresh watchdog: the last test's shutdown steps refuse every install.
        hookWatchdog = keymap::HookWatchdog{};
        UseHookOps(&ops_);
        InstallKeyboardHook(window_);
        ASSERT_EQ(ops_.installs, 1);
        ASSERT_NE(hookHandle, nullptr);
        procedureCalls.clear();
        menuKeysReceived = 0;
    }
    void TearDown() override {
        RemoveKeyboardHook();
        UseHookOps(nullptr);
        DelayWithEvents(50);
    }
    // Typed keys, one every 300 ms, until done() or the deadline.
    bool TypeUntil(const std::function<bool()>& done) {
        const DWORD start = GetTickCount();
        while (!done() && GetTickCount() - start < deadlineMs) {
            Typist typist(neutralKey);
            typist.Finish();
            PumpUntil(done, 300);
        }
        return done();
    }
    static inline HWND window_ = nullptr;
    RecordingHookOps ops_;
};

TEST_F(HookWatchdogWin, RemovedBehindItsBack_TypedKeysBringOneNewHook_AndTheNextTapGivesOneMenuKey) {
    for (int round = 1; round <= 20; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const int installs = ops_.installs, removals = ops_.removals;
        ASSERT_TRUE(UnhookWindowsHookEx(hookHandle)) << "the hook was in place";

        ASSERT_TRUE(TypeUntil([&] { return ops_.installs > installs; })) << "typed keys brought no new hook";
        EXPECT_EQ(ops_.installs, installs + 1);
        EXPECT_EQ(ops_.removals, removals + 1) << "the dropped handle is removed before the new install";
        ASSERT_NE(hookHandle, nullptr);

        procedureCalls.clear();
        menuKeysReceived = 0;
        Typist typist(tapSequence);
        typist.Finish();
        ASSERT_TRUE(PumpUntil([] { return menuKeysReceived > 0; })) << "no Menu key after the re-install";
        DelayWithEvents(300);  // a second Menu key would come by now
        EXPECT_EQ(menuKeysReceived, 1);
        // Each key reached the procedure exactly once: one hook, not two.
        using Call = std::pair<WPARAM, DWORD>;
        const std::map<Call, int> once = {
            {{WM_SYSKEYDOWN, VK_RMENU}, 1}, {{WM_SYSKEYDOWN, 'X'}, 1}, {{WM_KEYUP, VK_RMENU}, 1},
            {{WM_KEYUP, 'X'}, 1},           {{WM_KEYDOWN, VK_APPS}, 1}, {{WM_KEYUP, VK_APPS}, 1}};
        EXPECT_EQ(Counted(procedureCalls), once);
    }
}

TEST_F(HookWatchdogWin, HookLeftAlone_AThousandKeystrokesCheckButNeverReinstall) {
    std::vector<std::pair<BYTE, DWORD>> keys;
    for (int i = 0; i < 1000; ++i) keys.insert(keys.end(), neutralKey.begin(), neutralKey.end());
    Typist typist(keys, 20);
    typist.Finish();
    // Long enough for the last armed check to fire.
    ASSERT_TRUE(PumpUntil([] { return !hookWatchdog.checkPending(); }));
    DelayWithEvents(1500);
    EXPECT_FALSE(hookWatchdog.checkPending());

    EXPECT_GE(ops_.checks, 1) << "raw input armed checks";
    EXPECT_EQ(ops_.installs, 1) << "no re-install";
    EXPECT_EQ(ops_.removals, 0);
    const auto counts = Counted(procedureCalls);
    EXPECT_EQ(counts.at({WM_KEYDOWN, VK_F15}), 1000);
    EXPECT_EQ(counts.at({WM_KEYUP, VK_F15}), 1000);
}

TEST_F(HookWatchdogWin, ResumeUnlockAndReconnect_ReplaceTheHookAtOnce_OtherEventsDoNot) {
    struct Case {
        const char* name;
        void (*handler)(uint32_t);
        uint32_t event;
        bool renews;
    };
    const Case cases[] = {
        {"resume", &onPowerBroadcast, PBT_APMRESUMEAUTOMATIC, true},
        {"suspend", &onPowerBroadcast, PBT_APMSUSPEND, false},
        {"power status change", &onPowerBroadcast, PBT_APMPOWERSTATUSCHANGE, false},
        {"session unlock", &onSessionChange, WTS_SESSION_UNLOCK, true},
        {"console connect", &onSessionChange, WTS_CONSOLE_CONNECT, true},
        {"remote connect", &onSessionChange, WTS_REMOTE_CONNECT, true},
        {"session lock", &onSessionChange, WTS_SESSION_LOCK, false},
        {"console disconnect", &onSessionChange, WTS_CONSOLE_DISCONNECT, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int installs = ops_.installs, removals = ops_.removals;
        const HHOOK before = hookHandle;
        c.handler(c.event);
        EXPECT_EQ(ops_.installs - installs, c.renews ? 1 : 0);
        EXPECT_EQ(ops_.removals - removals, c.renews ? 1 : 0);
        EXPECT_EQ(hookHandle != before, c.renews);
        ASSERT_NE(hookHandle, nullptr);
    }
    // The current hook is the one that answers.
    Typist typist(neutralKey);
    typist.Finish();
    ASSERT_TRUE(PumpUntil([] { return procedureCalls.size() >= 2; }));
    DelayWithEvents(100);
    EXPECT_EQ(procedureCalls.size(), 2u) << "each key once";
}

TEST_F(HookWatchdogWin, ShutdownSteps_RemoveTheHookAndRawInput_ThenNothingInstalls) {
    RAWINPUTDEVICE devices[4]{};
    UINT count = 4;
    ASSERT_EQ(GetRegisteredRawInputDevices(devices, &count, sizeof(RAWINPUTDEVICE)), 1u);
    EXPECT_EQ(devices[0].usUsagePage, 1);
    EXPECT_EQ(devices[0].usUsage, 6);
    EXPECT_EQ(devices[0].hwndTarget, window_);
    EXPECT_TRUE(devices[0].dwFlags & RIDEV_INPUTSINK);

    // A check is pending when the shutdown steps run.
    Typist typist(neutralKey);
    typist.Finish();
    ASSERT_TRUE(PumpUntil([] { return hookWatchdog.checkPending(); }));
    const HHOOK hook = hookHandle;

    RemoveKeyboardHook();
    EXPECT_EQ(ops_.removals, 1);
    EXPECT_EQ(hookHandle, nullptr);
    EXPECT_FALSE(UnhookWindowsHookEx(hook)) << "the hook is gone already";
    EXPECT_FALSE(hookWatchdog.checkPending());
    count = 4;
    EXPECT_EQ(GetRegisteredRawInputDevices(devices, &count, sizeof(RAWINPUTDEVICE)), 0u) << "raw input unregistered";

    // Nothing puts a hook back: not the check that was pending, not typed
    // keys, not a resume or unlock, not a late start.
    procedureCalls.clear();
    Typist more(neutralKey);
    more.Finish();
    DelayWithEvents(1500);
    onPowerBroadcast(PBT_APMRESUMEAUTOMATIC);
    onSessionChange(WTS_SESSION_UNLOCK);
    onKeyboardInput(GetTickCount());
    InstallKeyboardHook(window_);
    DelayWithEvents(1500);
    EXPECT_EQ(ops_.installs, 1);
    EXPECT_EQ(hookHandle, nullptr);
    EXPECT_TRUE(procedureCalls.empty());
}

}  // namespace
