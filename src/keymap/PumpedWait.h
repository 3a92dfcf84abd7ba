#pragma once
// The pumped wait: waits more than ms milliseconds by the tick count while
// dispatching the calling thread's messages, and leaves a WM_QUIT at the head
// of the queue for the main loop. Between passes it blocks until a message
// arrives or the remaining time is up, so a waiting thread uses no processor.
#include <cstdint>

namespace keymap {

constexpr uint32_t wmQuit = 18;

struct MessagePumpOps {
    virtual ~MessagePumpOps() = default;
    virtual uint32_t tickCount() = 0;  // GetTickCount: milliseconds, wraps
    // PeekMessageA(PM_NOREMOVE): false when nothing waits, else the head's identifier.
    virtual bool peekHead(uint32_t& message) = 0;
    // GetMessageA into the pump's current message; false when nothing usable was taken.
    virtual bool takeNext() = 0;
    // The registered pre-translation of the current message; true when it consumed
    // the message. False when none is registered.
    virtual bool preTranslate() = 0;
    virtual void translate() = 0;  // TranslateMessage
    virtual void dispatch() = 0;   // DispatchMessageA
    // Blocks until the queue holds input or timeoutMs have passed.
    virtual void waitForInput(uint32_t timeoutMs) = 0;
    // With a WM_QUIT at the head the queue always "holds input", so waiting for
    // input would return at once forever. This blocks until input arrives that
    // was not there at the last look, or timeoutMs have passed.
    virtual void waitForNewInput(uint32_t timeoutMs) = 0;
};

enum class PumpEnd { QueueEmpty, QuitAtHead, TakeFailed };

// Dispatches what waits in the queue, up to a WM_QUIT, which stays.
PumpEnd PumpPendingMessages(MessagePumpOps& ops);

// ms <= 0 returns at once without looking at the queue.
void DelayWithEvents(MessagePumpOps& ops, int32_t ms);

}  // namespace keymap
