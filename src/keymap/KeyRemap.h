#pragma once
// What the rest of the program uses of the key remapping.
#include <atomic>
#include <cstdint>

// Milliseconds a worker waits before Escape in a qualifying window. Written by
// the UI thread only; each worker reads it once. Atomic so that the unlocked
// read is defined behaviour; relaxed order compiles to a plain aligned load.
extern std::atomic<int32_t> actionDelayMs;

void InstallKeyboardHook();
void RemoveKeyboardHook();

// Waits more than ms milliseconds while dispatching the calling thread's
// messages; leaves a WM_QUIT in the queue. Does not spin.
void DelayWithEvents(int32_t ms);

// The window layer registers its pre-translation here; with none registered
// every pumped message is translated and dispatched. The argument is a MSG*.
using PreTranslateFn = bool (*)(void* msg);
void SetPreTranslate(PreTranslateFn fn);
