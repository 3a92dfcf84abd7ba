#include "keymap/KeyboardHook.h"

HHOOK hookHandle = nullptr;
keymap::TapDetector tapDetector;

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    // nCode is deliberately not looked at; the system always passes the event.
    const auto* event = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    hookWatchdog.onHookEvent(event->time);
    const auto key = static_cast<uint8_t>(event->vkCode & 0xFF);
    if (tapDetector.ProcessKeyEvent(static_cast<uint32_t>(wParam), key)) StartMenuKeyWorker();
    // Never a value of its own: no event is ever swallowed or changed.
    return CallNextHookEx(hookHandle, nCode, wParam, lParam);
}
