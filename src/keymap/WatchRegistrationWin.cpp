// What the watchdog watches, registered for the watch window: raw keyboard
// input, which reaches the window whatever became of the hook chain and has no
// time-out, and the session's notifications. A file of its own, so a build
// without the watch can link a replacement instead.
#include "keymap/KeyboardHook.h"

#include <wtsapi32.h>

namespace {

constexpr USHORT genericDesktopPage = 0x01;
constexpr USHORT keyboardUsage = 0x06;

void RegisterKeyboard(DWORD flags, HWND target) {
    RAWINPUTDEVICE keyboard{};
    keyboard.usUsagePage = genericDesktopPage;
    keyboard.usUsage = keyboardUsage;
    keyboard.dwFlags = flags;
    keyboard.hwndTarget = target;
    RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
}

}  // namespace

void WatchKeyboardInput(HWND window) {
    if (!window) return;
    // INPUTSINK: also while the window is hidden or another has the focus.
    RegisterKeyboard(RIDEV_INPUTSINK, window);
    WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);
}

void UnwatchKeyboardInput(HWND window) {
    if (!window) return;
    // RIDEV_REMOVE asks for no target window.
    RegisterKeyboard(RIDEV_REMOVE, nullptr);
    WTSUnRegisterSessionNotification(window);
}
