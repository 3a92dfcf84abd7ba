// The whole start-up and shutdown in this process, with the real window, tray,
// registry and hook: what must hold once the program has ended.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/TrayIcon.h"
#include "keymap/KeyboardHook.h"

namespace {

// Chooses the tray menu's Exit as soon as the main window exists: the command
// is posted, so the first pass of the start-up wait dispatches it.
LRESULT CALLBACK ExitOnceCreated(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto window = reinterpret_cast<HWND>(wParam);
        char className[64] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "KestrovaMainWindow") == 0)
            PostMessageA(window, WM_COMMAND, trayMenuFirstCommand + trayExitPosition, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Startup, QuitDuringTheStartupWait_LeavesNoHookInstalled) {
    const HHOOK watch = SetWindowsHookExA(WH_CBT, ExitOnceCreated, nullptr, GetCurrentThreadId());
    ASSERT_NE(watch, nullptr);
    const int exitCode = RunProgram();
    UnhookWindowsHookEx(watch);

    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(MainWindowHandle(), nullptr) << "the window was destroyed during the wait";
    // hookHandle is never cleared; a hook still installed can be removed now.
    const bool hookLeftInstalled = hookHandle != nullptr && UnhookWindowsHookEx(hookHandle);
    EXPECT_FALSE(hookLeftInstalled) << "a hook was installed after the shutdown steps had run";
}

}  // namespace
