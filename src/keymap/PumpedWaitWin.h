#pragma once
// The pumped wait's operations bound to the calling thread's Win32 queue.
#include <windows.h>

#include "keymap/PumpedWait.h"

class Win32MessagePump : public keymap::MessagePumpOps {
public:
    uint32_t TickCount() override;
    bool PeekHead(uint32_t& message) override;
    bool TakeNext() override;
    bool PreTranslate() override;
    void Translate() override;
    void Dispatch() override;
    void WaitForInput(uint32_t timeoutMs) override;
    void WaitForNewInput(uint32_t timeoutMs) override;

private:
    MSG current_{};
};
