#pragma once
// The worker's decision: probe the foreground window, and for an Explorer
// folder window or a window with a menu bar wait and send Escape (which ends
// the keyboard menu mode the Alt tap switched on there); then send the Menu
// key. Every Windows answer comes through WorkerOps, so the decision runs
// natively against a recording substitute.
#include <cstdint>

namespace keymap {

using WindowRef = uintptr_t;  // an HWND; 0 for none
using MenuRef = uintptr_t;    // an HMENU; 0 for none

constexpr char explorerClassName[] = "CabinetWClass";
constexpr int classNameCount = 50;  // buffer size and the count given to the read
constexpr uint8_t vkEscape = 27;
constexpr uint8_t vkApps = 93;
constexpr uint32_t keyEventKeyUp = 2;  // KEYEVENTF_KEYUP

struct WorkerOps {
    virtual ~WorkerOps() = default;
    virtual WindowRef foregroundWindow() = 0;                             // GetForegroundWindow
    virtual int className(WindowRef window, char* buffer, int count) = 0;  // GetClassNameA; 0 on failure
    virtual MenuRef menu(WindowRef window) = 0;                            // GetMenu
    virtual void keyEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extraInfo) = 0;  // keybd_event
    virtual int32_t readDelay() = 0;                                       // actionDelayMs, read once
    virtual void wait(int32_t ms) = 0;                                     // DelayWithEvents
};

// One press and one release of vk: scan code 0, no extended flag, no pause.
void SendKeyTap(WorkerOps& ops, uint8_t vk);

// What one worker thread does for one tap.
void MenuKeyWorker(WorkerOps& ops);

}  // namespace keymap
