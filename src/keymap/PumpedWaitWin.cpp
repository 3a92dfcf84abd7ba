#include "keymap/PumpedWaitWin.h"

#include "keymap/KeyRemap.h"

namespace {
// Registered by the window layer on the UI thread; read by every thread that
// pumps, workers included.
std::atomic<PreTranslateFn> registeredPreTranslate{nullptr};
}  // namespace

void SetPreTranslate(PreTranslateFn fn) { registeredPreTranslate.store(fn); }

uint32_t Win32MessagePumpOps::tickCount() { return GetTickCount(); }

bool Win32MessagePumpOps::peekHead(uint32_t& message) {
    // Sent messages and calls of a low-level hook installed by this thread are
    // delivered in here, also when a WM_QUIT is at the head.
    MSG head;
    if (!PeekMessageA(&head, nullptr, 0, 0, PM_NOREMOVE)) return false;
    message = head.message;
    return true;
}

bool Win32MessagePumpOps::takeNext() {
    const BOOL got = GetMessageA(&current_, nullptr, 0, 0);
    if (got > 0) return true;
    // A WM_QUIT that arrived after the look at the head was taken out: put it
    // back for the main loop, which must still find it.
    if (got == 0) PostQuitMessage(static_cast<int>(current_.wParam));
    return false;
}

bool Win32MessagePumpOps::preTranslate() {
    const PreTranslateFn fn = registeredPreTranslate.load();
    return fn != nullptr && fn(&current_);
}

void Win32MessagePumpOps::translate() { TranslateMessage(&current_); }

void Win32MessagePumpOps::dispatch() { DispatchMessageA(&current_); }

void Win32MessagePumpOps::waitForInput(uint32_t timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32MessagePumpOps::waitForNewInput(uint32_t timeoutMs) {
    // Without MWMO_INPUTAVAILABLE only input that arrived since the last look
    // at the queue ends the wait; sent messages and hook calls still do.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, 0);
}

void DelayWithEvents(int32_t ms) {
    Win32MessagePumpOps pump;
    keymap::DelayWithEvents(pump, ms);
}
