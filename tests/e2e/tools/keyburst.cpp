// Injects right-Alt sequences with SendInput, for the stress tests: injected
// events pass through every low-level keyboard hook like typed ones, and one
// program can send hundreds of them in a few seconds, which xdotool cannot.
//
// Commands, one a line on standard input; each answers one flushed line:
//   burst N GAP [paced]
//                 N times: right Alt down, X down, right Alt up, X up (the
//                 sequence that counts as a tap under Wine as on Windows), at
//                 least GAP milliseconds apart. With "paced" the next sequence
//                 also waits (up to a second) until the release of a Menu key
//                 has been seen since the last one was sent: a worker's keys
//                 that fell inside the next sequence would cancel it, since a
//                 key released while right Alt is held cancels a tap.
//                 -> "sent N <sent> us <elapsed> unanswered <count>"
//   key VK        one press and release of VK     -> "sent key VK"
//   keys N VK GAP N presses and releases of VK, at least GAP milliseconds
//                 apart                            -> "sent keys N <sent> us <elapsed>"
//   quit          ends the program
// Prints "ready" once its own hook, which watches for the Menu key, is in place.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HHOOK ownHook = nullptr;
HANDLE menuReleased = nullptr;  // set by the hook at each release of VK_APPS

LRESULT CALLBACK WatchMenuKey(int nCode, WPARAM wParam, LPARAM lParam) {
    const auto* e = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    if (nCode == HC_ACTION && e->vkCode == VK_APPS && (wParam == WM_KEYUP || wParam == WM_SYSKEYUP))
        SetEvent(menuReleased);
    return CallNextHookEx(ownHook, nCode, wParam, lParam);
}

KEYBDINPUT Key(WORD vk, WORD scan, DWORD flags) {
    KEYBDINPUT k{};
    k.wVk = vk;
    k.wScan = scan;
    k.dwFlags = flags;
    return k;
}

UINT Send(const KEYBDINPUT* keys, UINT count) {
    INPUT inputs[4]{};
    for (UINT i = 0; i < count; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki = keys[i];
    }
    return SendInput(count, inputs, sizeof(INPUT));
}

long long NowMicroseconds() {
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000000 / frequency.QuadPart;
}

// The sequence as the keyboard gives it: right Alt is the extended Alt key.
UINT SendSequence() {
    const KEYBDINPUT keys[] = {
        Key(VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY),
        Key('X', 0x2D, 0),
        Key(VK_RMENU, 0x38, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP),
        Key('X', 0x2D, KEYEVENTF_KEYUP),
    };
    return Send(keys, 4) == 4 ? 1 : 0;
}

void Burst(long count, long gapMs, bool paced) {
    const long long start = NowMicroseconds();
    long sent = 0, unanswered = 0;
    for (long i = 0; i < count; ++i) {
        // Paced by the clock rather than by the sum of sleeps, so the burst
        // takes count x gap whatever the sleeps overshoot.
        const long long due = start + static_cast<long long>(i) * gapMs * 1000;
        const long long now = NowMicroseconds();
        if (due > now) Sleep(static_cast<DWORD>((due - now) / 1000));
        ResetEvent(menuReleased);
        sent += static_cast<long>(SendSequence());
        if (paced && WaitForSingleObject(menuReleased, 1000) != WAIT_OBJECT_0) ++unanswered;
    }
    std::printf("sent %ld %ld us %lld unanswered %ld\n", count, sent, NowMicroseconds() - start, unanswered);
    std::fflush(stdout);
}

void Keys(long count, long vk, long gapMs) {
    const long long start = NowMicroseconds();
    long sent = 0;
    const KEYBDINPUT keys[] = {Key(static_cast<WORD>(vk), 0, 0), Key(static_cast<WORD>(vk), 0, KEYEVENTF_KEYUP)};
    for (long i = 0; i < count; ++i) {
        const long long due = start + static_cast<long long>(i) * gapMs * 1000;
        const long long now = NowMicroseconds();
        if (due > now) Sleep(static_cast<DWORD>((due - now) / 1000));
        sent += Send(keys, 2) == 2 ? 1 : 0;
    }
    std::printf("sent keys %ld %ld us %lld\n", count, sent, NowMicroseconds() - start);
    std::fflush(stdout);
}

// Standard input is read on its own thread: the main thread keeps retrieving
// messages, which is where its hook is called.
DWORD WINAPI ReadCommands(LPVOID mainThread) {
    char line[128];
    while (std::fgets(line, sizeof line, stdin)) {
        long a = 0, b = 0;
        char mode[16] = {};
        const int fields = std::sscanf(line, "burst %ld %ld %15s", &a, &b, mode);
        if (fields >= 2 && a >= 0 && b >= 0) {
            Burst(a, b, fields == 3 && std::strcmp(mode, "paced") == 0);
        } else if (long vk = 0; std::sscanf(line, "keys %ld %ld %ld", &a, &vk, &b) == 3 && a >= 0 && vk > 0 &&
                                vk < 256 && b >= 0) {
            Keys(a, vk, b);
        } else if (std::sscanf(line, "key %ld", &a) == 1 && a > 0 && a < 256) {
            const KEYBDINPUT keys[] = {Key(static_cast<WORD>(a), 0, 0), Key(static_cast<WORD>(a), 0, KEYEVENTF_KEYUP)};
            Send(keys, 2);
            std::printf("sent key %ld\n", a);
            std::fflush(stdout);
        } else if (std::strncmp(line, "quit", 4) == 0) {
            break;
        } else {
            std::printf("unknown command\n");
            std::fflush(stdout);
        }
    }
    PostThreadMessageA(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(mainThread)), WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int main() {
    menuReleased = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ownHook = SetWindowsHookExA(WH_KEYBOARD_LL, &WatchMenuKey, GetModuleHandleA(nullptr), 0);
    if (!menuReleased || !ownHook) return 1;
    // A message queue exists before the reader may post the quit to it.
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
    const auto self = reinterpret_cast<LPVOID>(static_cast<UINT_PTR>(GetCurrentThreadId()));
    HANDLE reader = CreateThread(nullptr, 0, &ReadCommands, self, 0, nullptr);
    if (!reader) return 1;
    CloseHandle(reader);
    std::puts("ready");
    std::fflush(stdout);
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
    UnhookWindowsHookEx(ownHook);
    return 0;
}
