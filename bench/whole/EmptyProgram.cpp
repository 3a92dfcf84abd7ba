// The baseline Win32 program: one hidden top-level window and a message loop,
// nothing else. With --hook it also holds a low-level keyboard hook whose
// procedure only calls the next hook.
//
//   whole_empty [--hook] [--caption TEXT]
//
// Prints "ready" once the window (and the hook) are in place. With the hook, a
// line "quit" on standard input ends it: under Wine a process killed while it
// holds a low-level hook leaves the hooks of the other processes uncalled.
// Without it there is no second thread, so the program stays empty.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

HHOOK emptyHook = nullptr;

LRESULT CALLBACK EmptyHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(emptyHook, nCode, wParam, lParam);
}

LRESULT CALLBACK EmptyWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

DWORD WINAPI WatchInput(LPVOID window) {
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
        if (std::strncmp(line, "quit", 4) == 0) break;
    }
    // End of input counts as "quit" too: the driver is gone.
    PostMessageA(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool withHook = false;
    const char* caption = "whole_empty";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--hook") == 0) {
            withHook = true;
        } else if (std::strcmp(argv[i], "--caption") == 0 && i + 1 < argc) {
            caption = argv[++i];
        } else {
            std::fprintf(stderr, "usage: whole_empty [--hook] [--caption TEXT]\n");
            return 2;
        }
    }

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &EmptyWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = "KestrovaBenchEmpty";
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(0, wc.lpszClassName, caption, WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;

    if (withHook) {
        emptyHook = SetWindowsHookExA(WH_KEYBOARD_LL, &EmptyHookProc, instance, 0);
        if (!emptyHook) return 1;
    }
    if (withHook) {
        if (HANDLE watcher = CreateThread(nullptr, 0, &WatchInput, window, 0, nullptr)) CloseHandle(watcher);
    }
    std::puts("ready");
    std::fflush(stdout);

    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    if (emptyHook) UnhookWindowsHookEx(emptyHook);
    return 0;
}
