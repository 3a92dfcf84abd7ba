#include <windows.h>

#include "keymap/KeyboardHook.h"
#include "keymap/MenuKeyWorker.h"

std::atomic<int32_t> actionDelayMs{0};

namespace {

class Win32WorkerOps final : public keymap::WorkerOps {
public:
    keymap::WindowRef foregroundWindow() override {
        return reinterpret_cast<keymap::WindowRef>(GetForegroundWindow());
    }
    int className(keymap::WindowRef window, char* buffer, int count) override {
        return GetClassNameA(reinterpret_cast<HWND>(window), buffer, count);
    }
    keymap::MenuRef menu(keymap::WindowRef window) override {
        return reinterpret_cast<keymap::MenuRef>(GetMenu(reinterpret_cast<HWND>(window)));
    }
    void keyEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extraInfo) override {
        keybd_event(vk, scan, flags, extraInfo);
    }
    int32_t readDelay() override { return actionDelayMs.load(std::memory_order_relaxed); }
    void wait(int32_t ms) override { DelayWithEvents(ms); }
};

}  // namespace

DWORD WINAPI MenuKeyWorker(LPVOID) {
    Win32WorkerOps ops;
    keymap::MenuKeyWorker(ops);
    return 0;
}

void StartMenuKeyWorker() {
    DWORD threadId = 0;  // required by CreateThread, never read
    HANDLE thread = CreateThread(nullptr, 0, &MenuKeyWorker, nullptr, 0, &threadId);
    // Detached: nobody waits for the worker.
    if (thread) CloseHandle(thread);
}
