#include "keymap/MenuKeyWorker.h"

#include <cstring>

namespace keymap {

void SendKeyTap(WorkerOps& ops, uint8_t vk) {
    ops.keyEvent(vk, 0, 0, 0);
    ops.keyEvent(vk, 0, keyEventKeyUp, 0);
}

void MenuKeyWorker(WorkerOps& ops) {
    char className[classNameCount] = {};
    const WindowRef classWindow = ops.foregroundWindow();
    // A failed read may leave the buffer undefined, and a substitute for the
    // read need not terminate it: make both an empty text, which never matches.
    if (ops.className(classWindow, className, classNameCount) <= 0) className[0] = '\0';
    className[classNameCount - 1] = '\0';

    // Asked anew: if the foreground changed in between, the two tests look at
    // different windows. Both reads are always made, in this order.
    const WindowRef menuWindow = ops.foregroundWindow();
    const MenuRef menu = ops.menu(menuWindow);

    const bool qualifies = std::strcmp(className, explorerClassName) == 0 || menu != 0;
    if (qualifies) {
        ops.wait(ops.readDelay());
        SendKeyTap(ops, vkEscape);
    }
    SendKeyTap(ops, vkApps);
}

}  // namespace keymap
