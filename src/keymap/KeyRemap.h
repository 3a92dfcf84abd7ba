#pragma once
// What the rest of the program uses of the key remapping.
#include <atomic>
#include <cstdint>

// Milliseconds a worker waits before Escape in a qualifying window. Written by
// the UI thread only; each worker reads it once. Atomic so that the unlocked
// read is defined behaviour; relaxed order compiles to a plain aligned load.
extern std::atomic<int32_t> actionDelayMs;

// Installs the low-level keyboard hook, then watches it through raw keyboard
// input and session notifications to watchWindow (an HWND; null: no watch),
// putting a new hook in whenever the system has dropped the old one. Once the
// shutdown steps have run it installs nothing. UI thread only.
void InstallKeyboardHook(void* watchWindow);
// The shutdown steps of the key remapping: the current hook removed, the
// watch ended. From then on nothing installs a hook.
void RemoveKeyboardHook();

// What the watch window passes on: WM_INPUT with the message's time,
// WM_POWERBROADCAST and WM_WTSSESSION_CHANGE with their event codes.
void onKeyboardInput(uint32_t time);
void onPowerBroadcast(uint32_t event);
void onSessionChange(uint32_t event);

// Waits more than ms milliseconds while dispatching the calling thread's
// messages; leaves a WM_QUIT in the queue. Does not spin.
void DelayWithEvents(int32_t ms);

// The window layer registers its pre-translation here; with none registered
// every pumped message is translated and dispatched. The argument is a MSG*.
using PreTranslateFn = bool (*)(void* msg);
void SetPreTranslate(PreTranslateFn fn);
