#pragma once
// The pumped wait's operations bound to the calling thread's Win32 queue.
#include <windows.h>

#include "keymap/PumpedWait.h"

class Win32MessagePumpOps : public keymap::MessagePumpOps {
public:
    uint32_t tickCount() override;
    bool peekHead(uint32_t& message) override;
    bool takeNext() override;
    bool preTranslate() override;
    void translate() override;
    void dispatch() override;
    void waitForInput(uint32_t timeoutMs) override;
    void waitForNewInput(uint32_t timeoutMs) override;

private:
    MSG current_{};
};
