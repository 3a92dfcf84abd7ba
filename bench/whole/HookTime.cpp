// A test-only harness around the real hook procedure.
//
//   whole_hooktime hook [--events N]   real keybd_event input through an
//       installed hook whose procedure times, with QueryPerformanceCounter,
//       first an empty procedure that only calls the next hook and then the
//       real KeyboardHookProc, over the same N injected events (default
//       10000). The real procedure starts real workers, whose Escape and Menu
//       keys pass the hook too and are timed with the rest.
//   whole_hooktime wait [--runs N] [--ms M]   processor time of the pumped
//       wait on a UI thread that owns a window, against a bare Sleep of the
//       same length (default 6 runs of 500 ms).
//
// Output: one "key=value ..." line per measured case, for bench/run.py.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "keymap/KeyboardHook.h"

namespace {

// Marks the harness's own injected events, so that the hook can tell them from
// the keys the workers send.
constexpr ULONG_PTR harnessMark = 0x4B455354;

struct Sample {
    WPARAM message;
    DWORD key;
    bool injectedByHarness;
    bool startsWorker;  // what the detector answers to this event
    LONGLONG ticks;
};

using HookProcedure = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);

HookProcedure procedureUnderTest = nullptr;
std::vector<Sample> samples;  // reserved before the hook is installed: no allocation in the hook
HANDLE harnessEventSeen = nullptr;
LARGE_INTEGER frequency;
// Fed after the timing with the same events as the real detector, so the
// calls that start a worker are known for the empty procedure too.
keymap::TapDetector shadowDetector;

LRESULT CALLBACK EmptyHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(hookHandle, nCode, wParam, lParam);
}

LRESULT CALLBACK TimedHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const LRESULT result = procedureUnderTest(nCode, wParam, lParam);
    QueryPerformanceCounter(&after);
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const bool ours = event->dwExtraInfo == harnessMark;
    const bool starts =
        shadowDetector.ProcessKeyEvent(static_cast<uint32_t>(wParam), static_cast<uint8_t>(event->vkCode & 0xFF));
    if (samples.size() < samples.capacity())
        samples.push_back({wParam, event->vkCode, ours, starts, after.QuadPart - before.QuadPart});
    if (ours) SetEvent(harnessEventSeen);
    return result;
}

struct Key {
    BYTE vk;
    bool up;
};

// Twenty events as typing gives them: letters, a right-Alt tap that triggers
// (right Alt with X inside it, the form Wine reports like Windows), Shift, a
// left-Alt chord, and a lone right-Alt tap.
constexpr Key cycle[20] = {
    {'A', false},      {'A', true},       {'B', false},      {'B', true},
    {VK_RMENU, false}, {'X', false},      {VK_RMENU, true},  {'X', true},
    {VK_SHIFT, false}, {'C', false},      {'C', true},       {VK_SHIFT, true},
    {VK_LMENU, false}, {'X', false},      {'X', true},       {VK_LMENU, true},
    {VK_SPACE, false}, {VK_SPACE, true},  {VK_RMENU, false}, {VK_RMENU, true},
};

struct SenderJob {
    int events;
    int unanswered = 0;  // events the hook did not see within a second
};

DWORD WINAPI SendEvents(LPVOID p) {
    auto* job = static_cast<SenderJob*>(p);
    for (int i = 0; i < job->events; ++i) {
        const Key& k = cycle[i % 20];
        DWORD flags = k.up ? KEYEVENTF_KEYUP : 0;
        if (k.vk == VK_RMENU) flags |= KEYEVENTF_EXTENDEDKEY;
        ResetEvent(harnessEventSeen);
        keybd_event(k.vk, static_cast<BYTE>(MapVirtualKeyA(k.vk, MAPVK_VK_TO_VSC)), flags, harnessMark);
        if (WaitForSingleObject(harnessEventSeen, 1000) != WAIT_OBJECT_0) ++job->unanswered;
    }
    return 0;
}

void PumpUntil(HANDLE handle, DWORD extraMs) {
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, extraMs,
                                                  QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        if (handle && r == WAIT_OBJECT_0) return;
        if (!handle && r == WAIT_TIMEOUT) return;
    }
}

double Microseconds(LONGLONG ticks) { return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency.QuadPart); }

double Quantile(std::vector<LONGLONG> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())));
    return Microseconds(v[i]);
}

void Report(const char* name, const SenderJob& job) {
    std::vector<LONGLONG> all, starting, others;
    int workerKeys = 0, menuKeys = 0;
    for (const Sample& s : samples) {
        all.push_back(s.ticks);
        (s.startsWorker ? starting : others).push_back(s.ticks);
        if (!s.injectedByHarness) {
            ++workerKeys;
            if (s.key == VK_APPS && (s.message == WM_KEYDOWN || s.message == WM_SYSKEYDOWN)) ++menuKeys;
        }
    }
    std::printf("hook case=%s calls=%zu sent=%d unanswered=%d worker_keys=%d menu_keys=%d "
                "median_us=%.2f p99_us=%.2f max_us=%.2f starting_calls=%zu starting_median_us=%.2f "
                "starting_max_us=%.2f other_p99_us=%.2f other_max_us=%.2f\n",
                name, all.size(), job.events, job.unanswered, workerKeys, menuKeys, Quantile(all, 0.5),
                Quantile(all, 0.99), Quantile(all, 1.0), starting.size(), Quantile(starting, 0.5),
                Quantile(starting, 1.0), Quantile(others, 0.99), Quantile(others, 1.0));
    std::fflush(stdout);
}

LRESULT CALLBACK QuietWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    // Alt chords would open the window's menu mode and beep: nothing of that
    // belongs in the figure.
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
    case WM_SYSCOMMAND:
    case WM_CONTEXTMENU:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
        return 0;
    default:
        return DefWindowProcA(w, msg, wp, lp);
    }
}

HWND CreateForegroundWindow() {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &QuietWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestrovaBenchHookTime";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "whole_hooktime", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    SetForegroundWindow(window);
    SetFocus(window);
    PumpUntil(nullptr, 200);
    return window;
}

int TimeHook(int events) {
    if (!CreateForegroundWindow()) return 1;
    harnessEventSeen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::printf("hook qpc_frequency=%lld\n", static_cast<long long>(frequency.QuadPart));
    const struct {
        const char* name;
        HookProcedure procedure;
    } cases[] = {{"empty", &EmptyHookProc}, {"real", &KeyboardHookProc}};
    for (const auto& c : cases) {
        samples.clear();
        shadowDetector = keymap::TapDetector();
        samples.reserve(static_cast<size_t>(events) * 2 + 1000);
        procedureUnderTest = c.procedure;
        // The real procedure passes events on through hookHandle: it must be
        // the handle of the hook that is calling it.
        hookHandle = SetWindowsHookExA(WH_KEYBOARD_LL, &TimedHookProc, GetModuleHandleA(nullptr), 0);
        if (!hookHandle) return 1;
        SenderJob job{events};
        HANDLE sender = CreateThread(nullptr, 0, &SendEvents, &job, 0, nullptr);
        if (!sender) return 1;
        PumpUntil(sender, INFINITE);
        CloseHandle(sender);
        PumpUntil(nullptr, 1000);  // the last workers' keys
        UnhookWindowsHookEx(hookHandle);
        Report(c.name, job);
    }
    return 0;
}

double CpuMs(HANDLE thread) {
    FILETIME created, ended, kernel, user;
    GetThreadTimes(thread, &created, &ended, &kernel, &user);
    ULARGE_INTEGER k, u;
    k.LowPart = kernel.dwLowDateTime;
    k.HighPart = kernel.dwHighDateTime;
    u.LowPart = user.dwLowDateTime;
    u.HighPart = user.dwHighDateTime;
    return static_cast<double>(k.QuadPart + u.QuadPart) / 1e4;
}

double WallMs() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}

int TimeWait(int runs, int ms) {
    if (!CreateForegroundWindow()) return 1;
    const struct {
        const char* name;
        void (*wait)(int32_t);
    } cases[] = {{"pumped", [](int32_t t) { DelayWithEvents(t); }},
                 {"sleep", [](int32_t t) { Sleep(static_cast<DWORD>(t)); }}};
    for (const auto& c : cases) {
        const double cpu0 = CpuMs(GetCurrentThread()), wall0 = WallMs();
        for (int i = 0; i < runs; ++i) c.wait(ms);
        std::printf("wait case=%s runs=%d ms=%d wall_ms=%.1f cpu_ms=%.1f\n", c.name, runs, ms, WallMs() - wall0,
                    CpuMs(GetCurrentThread()) - cpu0);
        std::fflush(stdout);
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: whole_hooktime hook [--events N] | wait [--runs N] [--ms M]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&frequency);
    if (argc < 2) return Usage();
    int events = 10000, runs = 6, ms = 500;
    for (int i = 2; i + 1 < argc; i += 2) {
        const int value = std::atoi(argv[i + 1]);
        if (value <= 0) return Usage();
        if (std::strcmp(argv[i], "--events") == 0) {
            events = value;
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = value;
        } else if (std::strcmp(argv[i], "--ms") == 0) {
            ms = value;
        } else {
            return Usage();
        }
    }
    if (std::strcmp(argv[1], "hook") == 0) return TimeHook(events);
    if (std::strcmp(argv[1], "wait") == 0) return TimeWait(runs, ms);
    return Usage();
}
