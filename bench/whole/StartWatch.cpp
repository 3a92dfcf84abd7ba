// Starts a program and times, from outside and with one clock, how long it
// takes until its top-level window exists and, with --pulse, until its
// keyboard hook answers a right-Alt tap with the Menu key.
//
//   whole_startwatch --caption TEXT [--runs N] [--pulse] [--pulse-after MS] [--exit-command ID]
//                    -- EXE [ARGS...]
//
// Each run: the clock starts just before CreateProcessA. The window is looked
// for by its caption every millisecond. With --pulse, from MS milliseconds
// after the window exists on (default 0; a program that waits before it
// hooks cannot answer earlier, and the pulses cost the machine time), a
// thread injects right Alt down, X down, right Alt up, X up (the tap that
// triggers under Wine as on Windows) about every millisecond into this
// program's own focused window, until the first Menu key reaches that window:
// that is the moment the hook started working, give or take one pulse period
// and the tap's own latency. The program is then ended with WM_COMMAND ID
// posted to its window (or WM_CLOSE), and its exit code is read.
//
// Output, one line per run:
//   start run=N window_ms=.. hook_ms=.. pulses=.. pulse_period_ms=.. exit=..
// (hook_ms is -1 without --pulse, or when no Menu key came within 20 s. With
// pulses=1 the very first tap was answered: the hook was in place before the
// pulses began, and hook_ms says only that it was working by then.)
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

LARGE_INTEGER frequency;
std::atomic<LONGLONG> firstMenuKey{0};
std::atomic<bool> pulsing{false};
std::atomic<long> pulses{0};
std::atomic<LONGLONG> pulseStart{0};
DWORD pulseAfterMs = 0;

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Ms(LONGLONG ticks) { return static_cast<double>(ticks) * 1e3 / static_cast<double>(frequency.QuadPart); }

LRESULT CALLBACK WatchWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // While the pulses hold Alt, the Menu key may come as a system key.
        if (wp == VK_APPS && firstMenuKey.load() == 0) firstMenuKey.store(Now());
        return 0;
    // The pulses are Alt chords: no menu mode, no beep, no system menu.
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_SYSCOMMAND:
    case WM_CONTEXTMENU:
        return 0;
    default:
        return DefWindowProcA(w, msg, wp, lp);
    }
}

void Key(BYTE vk, bool up) {
    DWORD flags = up ? KEYEVENTF_KEYUP : 0;
    if (vk == VK_RMENU) flags |= KEYEVENTF_EXTENDEDKEY;
    keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)), flags, 0);
}

DWORD WINAPI Pulse(LPVOID) {
    Sleep(pulseAfterMs);
    pulseStart.store(Now());
    while (pulsing.load()) {
        Key(VK_RMENU, false);
        Key('X', false);
        Key(VK_RMENU, true);
        Key('X', true);
        ++pulses;
        Sleep(1);
    }
    return 0;
}

void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Waits up to ms for the handle while dispatching this thread's messages.
bool PumpWait(HANDLE handle, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= end ? 0 : static_cast<DWORD>(end - now);
        const DWORD r = MsgWaitForMultipleObjects(handle ? 1 : 0, handle ? &handle : nullptr, FALSE, left, QS_ALLINPUT);
        Pump();
        if (handle && r == WAIT_OBJECT_0) return true;
        if (r == WAIT_TIMEOUT || left == 0) return false;
    }
}

struct Options {
    std::string caption;
    std::string commandLine;
    int runs = 1;
    bool pulse = false;
    int exitCommand = 0;
    int pulseAfterMs = 0;
};

std::string Quoted(const char* arg) { return std::strchr(arg, ' ') ? "\"" + std::string(arg) + "\"" : arg; }

bool Parse(int argc, char** argv, Options& o) {
    int i = 1;
    for (; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            ++i;
            break;
        }
        if (std::strcmp(argv[i], "--pulse") == 0) {
            o.pulse = true;
        } else if (i + 1 < argc && std::strcmp(argv[i], "--caption") == 0) {
            o.caption = argv[++i];
        } else if (i + 1 < argc && std::strcmp(argv[i], "--runs") == 0) {
            o.runs = std::atoi(argv[++i]);
        } else if (i + 1 < argc && std::strcmp(argv[i], "--pulse-after") == 0) {
            o.pulseAfterMs = std::atoi(argv[++i]);
        } else if (i + 1 < argc && std::strcmp(argv[i], "--exit-command") == 0) {
            o.exitCommand = std::atoi(argv[++i]);
        } else {
            return false;
        }
    }
    for (int first = i; i < argc; ++i) o.commandLine += (i > first ? " " : "") + Quoted(argv[i]);
    return !o.caption.empty() && !o.commandLine.empty() && o.runs > 0 && o.pulseAfterMs >= 0;
}

void OneRun(const Options& o, int run) {
    firstMenuKey.store(0);
    pulses.store(0);
    pulseStart.store(0);
    std::string commandLine = o.commandLine;  // CreateProcessA may write into it
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const LONGLONG start = Now();
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("start run=%d error=%lu\n", run, GetLastError());
        return;
    }
    HWND window = nullptr;
    LONGLONG windowSeen = 0, pulseEnd = 0;
    HANDLE pulser = nullptr;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (GetTickCount64() < deadline) {
        if (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 1, QS_ALLINPUT) == WAIT_OBJECT_0) break;
        Pump();
        if (!window && (window = FindWindowA(nullptr, o.caption.c_str())) != nullptr) {
            windowSeen = Now();
            if (o.pulse) {
                pulsing.store(true);
                pulser = CreateThread(nullptr, 0, &Pulse, nullptr, 0, nullptr);
            }
        }
        if (window && (!o.pulse || firstMenuKey.load() != 0)) break;
    }
    pulseEnd = Now();
    pulsing.store(false);
    if (pulser) {
        PumpWait(pulser, 5000);
        CloseHandle(pulser);
    }
    PumpWait(nullptr, 300);  // keys of workers still under way

    DWORD exitCode = STILL_ACTIVE;
    if (window) {
        if (o.exitCommand)
            PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(o.exitCommand), 0);
        else
            PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (!PumpWait(pi.hProcess, 10000)) TerminateProcess(pi.hProcess, 255);
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);

    const LONGLONG menu = firstMenuKey.load();
    const long count = pulses.load();
    std::printf("start run=%d window_ms=%.2f hook_ms=%.2f pulses=%ld pulse_period_ms=%.3f exit=%lu\n", run,
                windowSeen ? Ms(windowSeen - start) : -1.0, menu ? Ms(menu - start) : -1.0, count,
                count ? Ms(pulseEnd - pulseStart.load()) / static_cast<double>(count) : 0.0, exitCode);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&frequency);
    Options o;
    const bool parsed = Parse(argc, argv, o);
    pulseAfterMs = static_cast<DWORD>(o.pulseAfterMs);
    if (!parsed) {
        std::fprintf(stderr,
                     "usage: whole_startwatch --caption TEXT [--runs N] [--pulse] [--pulse-after MS]\n"
                     "                        [--exit-command ID] -- EXE [ARGS...]\n");
        return 2;
    }
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &WatchWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestrovaBenchStartWatch";
    RegisterClassA(&wc);
    // A plain window (no menu bar, not an Explorer window): the Menu key comes
    // without a delay.
    HWND own = CreateWindowExA(0, wc.lpszClassName, "whole_startwatch", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, instance, nullptr);
    if (!own) return 1;
    SetForegroundWindow(own);
    SetFocus(own);
    PumpWait(nullptr, 200);
    for (int run = 1; run <= o.runs; ++run) OneRun(o, run);
    return 0;
}
