#include "keymap/PumpedWait.h"

namespace keymap {

PumpEnd PumpPendingMessages(MessagePumpOps& ops) {
    for (;;) {
        uint32_t head = 0;
        if (!ops.peekHead(head)) return PumpEnd::QueueEmpty;
        if (head == wmQuit) return PumpEnd::QuitAtHead;
        if (!ops.takeNext()) return PumpEnd::TakeFailed;
        if (!ops.preTranslate()) {
            ops.translate();
            ops.dispatch();
        }
    }
}

void DelayWithEvents(MessagePumpOps& ops, int32_t ms) {
    if (ms <= 0) return;
    const uint32_t limit = static_cast<uint32_t>(ms);
    const uint32_t start = ops.tickCount();
    for (;;) {
        PumpPendingMessages(ops);
        PumpPendingMessages(ops);
        // Unsigned difference: right across the wrap of the tick count.
        const uint32_t elapsed = ops.tickCount() - start;
        if (elapsed > limit) return;
        PumpPendingMessages(ops);
        const PumpEnd end = PumpPendingMessages(ops);

        // The first tick count that ends the wait is start + ms + 1.
        const uint32_t remaining = limit - elapsed + 1;
        if (end == PumpEnd::QueueEmpty) {
            ops.waitForInput(remaining);
        } else {
            // A WM_QUIT at the head (or a message that could not be taken) is
            // still there: only something new is worth waking for.
            ops.waitForNewInput(remaining);
        }
    }
}

}  // namespace keymap
