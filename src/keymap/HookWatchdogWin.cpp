// The watchdog bound to Windows: the hook installed and removed, the one-shot
// check as a timer of the watch window, and the messages that reach it.
#include "keymap/KeyboardHook.h"

#include <wtsapi32.h>

keymap::HookWatchdog hookWatchdog;

namespace {

// The watch window (the main window) has no other timer.
constexpr UINT_PTR checkTimerId = 0x4B57;
constexpr UINT checkDelayMs = 1000;

HWND watchWindow = nullptr;  // we don't own it
UINT_PTR checkTimer = 0;

Win32HookOps win32Ops;
keymap::HookOps* hookOps = &win32Ops;

// Dispatched from the window's WM_TIMER by DispatchMessageA: the main loop or
// the pumped wait.
VOID CALLBACK onCheckTimer(HWND, UINT, UINT_PTR, DWORD) { hookWatchdog.onCheckDue(*hookOps); }

}  // namespace

bool Win32HookOps::install() {
    hookHandle = SetWindowsHookExA(WH_KEYBOARD_LL, procedure_, GetModuleHandleA(nullptr), 0);
    return hookHandle != nullptr;
}

void Win32HookOps::remove() {
    // Fails when the system has dropped the hook already, which is why it goes.
    UnhookWindowsHookEx(hookHandle);
    hookHandle = nullptr;
}

void Win32HookOps::clearDetector() { tapDetector.Clear(); }

void Win32HookOps::watch() { WatchKeyboardInput(watchWindow); }

void Win32HookOps::unwatch() { UnwatchKeyboardInput(watchWindow); }

bool Win32HookOps::armCheck() {
    // One-shot: the watchdog disarms it when it fires. Without a window the
    // system picks the identifier.
    checkTimer = SetTimer(watchWindow, checkTimerId, checkDelayMs, &onCheckTimer);
    return checkTimer != 0;
}

void Win32HookOps::disarmCheck() {
    KillTimer(watchWindow, checkTimer);
    checkTimer = 0;
}

void UseHookOps(keymap::HookOps* ops) { hookOps = ops ? ops : &win32Ops; }

void InstallKeyboardHook(void* window) {
    if (hookWatchdog.running()) return;
    watchWindow = static_cast<HWND>(window);
    hookWatchdog.Start(*hookOps);
}

void RemoveKeyboardHook() {
    hookWatchdog.Shutdown(*hookOps);
    watchWindow = nullptr;
}

void onKeyboardInput(uint32_t time) { hookWatchdog.onRawInput(*hookOps, time); }

void onPowerBroadcast(uint32_t event) {
    // Resume from sleep or hibernation. Modern Standby sends none: there the
    // check after the first keys puts the hook back.
    if (event == PBT_APMRESUMEAUTOMATIC) hookWatchdog.Renew(*hookOps);
}

void onSessionChange(uint32_t event) {
    if (event == WTS_SESSION_UNLOCK || event == WTS_CONSOLE_CONNECT || event == WTS_REMOTE_CONNECT)
        hookWatchdog.Renew(*hookOps);
}
