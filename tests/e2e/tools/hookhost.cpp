// A stand-in for the program's start-up, for the end-to-end tests: installs the
// real keyboard hook on a thread that keeps retrieving messages, and runs until
// it is ended.
//
//   hookhost [--delay MS]     MS goes into actionDelayMs (default 100)
//
// Prints "hooked" once the hook is in place, "hook failed" if it is not.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "keymap/KeyboardHook.h"

int main(int argc, char** argv) {
    long delay = 100;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--delay") == 0 && i + 1 < argc) {
            delay = std::strtol(argv[++i], nullptr, 10);
        } else {
            std::fprintf(stderr, "usage: hookhost [--delay MS]\n");
            return 2;
        }
    }
    actionDelayMs.store(static_cast<int32_t>(delay));

    InstallKeyboardHook(nullptr);  // no window: no watch
    std::puts(hookHandle ? "hooked" : "hook failed");
    std::fflush(stdout);
    if (!hookHandle) return 1;

    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    RemoveKeyboardHook();
    return 0;
}
