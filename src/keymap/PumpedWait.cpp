#include "keymap/PumpedWait.h"

namespace keymap {

PumpEnd PumpPendingMessages(MessagePumpOps& ops) {
    for (;;) {
        uint32_t head = 0;
        if (!ops.PeekHead(head)) return PumpEnd::QueueEmpty;
        if (head == wmQuit) return PumpEnd::QuitAtHead;
        if (!ops.TakeNext()) return PumpEnd::TakeFailed;
        if (!ops.PreTranslate()) {
            ops.Translate();
            ops.Dispatch();
        }
    }
}

void DelayWithEvents(MessagePumpOps& ops, int32_t ms) {
    if (ms <= 0) return;
    const uint32_t limit = static_cast<uint32_t>(ms);
    const uint32_t start = ops.TickCount();
    for (;;) {
        PumpPendingMessages(ops);
        PumpPendingMessages(ops);
        // Unsigned difference: right across the wrap of the tick count.
        const uint32_t elapsed = ops.TickCount() - start;
        if (elapsed > limit) return;
        PumpPendingMessages(ops);
        const PumpEnd end = PumpPendingMessages(ops);

        // The first tick count that ends the wait is start + ms + 1.
        const uint32_t remaining = limit - elapsed + 1;
        if (end == PumpEnd::QueueEmpty) {
            ops.WaitForInput(remaining);
        } else {
            // A WM_QUIT at the head (or a message that could not be taken) is
            // still there: only something new is worth waking for.
            ops.WaitForNewInput(remaining);
        }
    }
}

}  // namespace keymap
