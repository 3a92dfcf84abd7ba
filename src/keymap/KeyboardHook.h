#pragma once
// The Win32 side of the key remapping beyond what KeyRemap.h gives the rest of
// the program: the hook procedure and its state, the watchdog's operations,
// and the worker thread.
#include <windows.h>

#include "keymap/HookWatchdog.h"
#include "keymap/KeyRemap.h"
#include "keymap/TapDetector.h"

// The current hook; null until the first install and after a removal. Each
// re-install replaces it. UI thread only.
extern HHOOK hookHandle;

// The one detector of the process. The system calls the hook procedure with no
// context argument, and only on the UI thread, so a global needs no lock.
extern keymap::TapDetector tapDetector;

// The one watchdog of the process; the hook procedure leaves its mark here.
extern keymap::HookWatchdog hookWatchdog;

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);

// The watchdog's operations on Windows. The procedure installed is
// KeyboardHookProc unless a test names one that calls it.
class Win32HookOps : public keymap::HookOps {
public:
    explicit Win32HookOps(HOOKPROC procedure = &KeyboardHookProc) : procedure_(procedure) {}
    bool install() override;
    void remove() override;
    void clearDetector() override;
    void watch() override;
    void unwatch() override;
    bool armCheck() override;
    void disarmCheck() override;

private:
    HOOKPROC procedure_;
};

// The operations the process-wide watchdog uses; null restores the Win32 ones.
// For tests that record installs and removals.
void UseHookOps(keymap::HookOps* ops);

// Raw keyboard input (also while the window is hidden or in the background)
// and the session's notifications, both to window; and their end.
void WatchKeyboardInput(HWND window);
void UnwatchKeyboardInput(HWND window);

// Starts one detached worker thread; a failed creation drops the tap silently.
void StartMenuKeyWorker();
DWORD WINAPI MenuKeyWorker(LPVOID unused);
