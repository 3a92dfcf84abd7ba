// A window for the end-to-end tests to type into. It takes the focus and logs,
// one flushed line each, every key message its window receives and every event
// its own low-level keyboard hook sees, with a QueryPerformanceCounter time in
// microseconds, so a test can see which keys arrived, in which order, and when.
//
//   keytarget [--menu] [--cabinet] [--popup] [--swallow-tap] [--caption TEXT]
//     --menu     the window has a menu bar
//     --cabinet  the window's class is "CabinetWClass" (an Explorer folder window)
//     --popup    WM_CONTEXTMENU opens a small context menu, as a real program
//                would, so a person (or a screenshot) sees the Menu key work
//     --swallow-tap  its hook logs right Alt and X, then swallows them: the hooks
//                installed before it never see the right-Alt sequence
//
// Lines:  ready <hwnd>
//         win <message> <wParam> <us>     WM_KEYDOWN/UP, WM_SYSKEYDOWN/UP, WM_CONTEXTMENU
//         hook <wParam> <vkCode> <us>     every low-level hook event
//         focus <1|0> <us>                the window gained or lost the keyboard focus
//
// A line "quit" on standard input closes the window, removes the hook and ends
// the program. End it that way: under Wine, a process killed while it holds a
// low-level hook leaves the hooks of the other processes uncalled from then on.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

LARGE_INTEGER frequency;
LARGE_INTEGER origin;
HHOOK ownHook = nullptr;
bool showPopup = false;
bool swallowTap = false;

// The context menu a real program would open for the Menu key, at the window's
// top-left corner (lParam -1, -1 means "from the keyboard").
void ShowContextMenu(HWND w) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    AppendMenuA(menu, MF_STRING, 1, "&Open");
    AppendMenuA(menu, MF_STRING, 2, "&Copy");
    AppendMenuA(menu, MF_STRING, 3, "&Properties");
    POINT at{20, 20};
    ClientToScreen(w, &at);
    TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, w, nullptr);
    DestroyMenu(menu);
}

long long NowMicroseconds() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (now.QuadPart - origin.QuadPart) * 1000000 / frequency.QuadPart;
}

void Log(const char* kind, unsigned long long a, unsigned long long b) {
    std::printf("%s %llu %llu %lld\n", kind, a, b, NowMicroseconds());
    std::fflush(stdout);
}

LRESULT CALLBACK OwnHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION) {
        const auto* e = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        Log("hook", wParam, e->vkCode);
        if (swallowTap && (e->vkCode == VK_RMENU || e->vkCode == 'X')) return 1;
    }
    return CallNextHookEx(ownHook, nCode, wParam, lParam);
}

LRESULT CALLBACK TargetWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CONTEXTMENU:
        Log("win", msg, wp);
        if (msg == WM_CONTEXTMENU && showPopup) {
            ShowContextMenu(w);
            return 0;
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        std::printf("focus %d %lld\n", msg == WM_SETFOCUS ? 1 : 0, NowMicroseconds());
        std::fflush(stdout);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// Reads standard input on its own thread; "quit" closes the window.
DWORD WINAPI WatchInput(LPVOID window) {
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::strncmp(line, "quit", 4) == 0) {
            PostMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
            break;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&origin);

    bool withMenu = false;
    const char* className = "KestrovaKeyTarget";
    std::string caption = "keytarget";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--menu") == 0) {
            withMenu = true;
        } else if (std::strcmp(argv[i], "--cabinet") == 0) {
            className = "CabinetWClass";
        } else if (std::strcmp(argv[i], "--popup") == 0) {
            showPopup = true;
        } else if (std::strcmp(argv[i], "--swallow-tap") == 0) {
            swallowTap = true;
        } else if (std::strcmp(argv[i], "--caption") == 0 && i + 1 < argc) {
            caption = argv[++i];
        } else {
            std::fprintf(stderr, "usage: keytarget [--menu] [--cabinet] [--popup] [--swallow-tap] [--caption TEXT]\n");
            return 2;
        }
    }

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &TargetWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = className;
    if (!RegisterClassA(&wc)) return 1;

    HMENU menu = nullptr;  // owned by the window once attached
    if (withMenu) {
        menu = CreateMenu();
        AppendMenuA(menu, MF_STRING, 1, "&File");
        AppendMenuA(menu, MF_STRING, 2, "&Edit");
    }
    HWND window = CreateWindowExA(0, className, caption.c_str(), WS_OVERLAPPEDWINDOW, 200, 150, 480, 320, nullptr,
                                  menu, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    // There is no window manager to hand the focus over: take it.
    SetForegroundWindow(window);
    SetActiveWindow(window);
    SetFocus(window);

    ownHook = SetWindowsHookExA(WH_KEYBOARD_LL, &OwnHookProc, instance, 0);
    if (HANDLE watcher = CreateThread(nullptr, 0, &WatchInput, window, 0, nullptr)) CloseHandle(watcher);
    std::printf("ready %llu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    std::fflush(stdout);

    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    if (ownHook) UnhookWindowsHookEx(ownHook);
    return 0;
}
