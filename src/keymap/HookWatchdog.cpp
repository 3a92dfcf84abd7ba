#include "keymap/HookWatchdog.h"

namespace keymap {

bool HookMissedInput(HookMark mark, uint32_t inputTime) {
    if (!mark.seen) return true;
    // The input is newer than the hook's last event when it lies less than
    // half the tick range ahead of it.
    const uint32_t ahead = inputTime - mark.time;
    return ahead != 0 && ahead < 0x80000000u;
}

void HookWatchdog::Start(HookOps& ops) {
    if (phase_ != Phase::BeforeStart) return;
    phase_ = Phase::Running;
    Reinstall(ops);
    // Watched even when the install failed: the first check puts a hook in.
    ops.watch();
}

void HookWatchdog::onRawInput(HookOps& ops, uint32_t time) {
    if (phase_ != Phase::Running || checkPending_) return;
    inputTime_ = time;
    checkPending_ = ops.armCheck();
}

void HookWatchdog::onCheckDue(HookOps& ops) {
    if (!checkPending_) return;
    Disarm(ops);
    if (phase_ == Phase::Running && HookMissedInput(mark_, inputTime_)) Reinstall(ops);
}

void HookWatchdog::Renew(HookOps& ops) {
    if (phase_ == Phase::Running) Reinstall(ops);
}

void HookWatchdog::Shutdown(HookOps& ops) {
    const bool wasRunning = phase_ == Phase::Running;
    phase_ = Phase::ShutDown;
    if (!wasRunning) return;
    if (hooked_) ops.remove();
    hooked_ = false;
    ops.unwatch();
    if (checkPending_) Disarm(ops);
}

void HookWatchdog::Reinstall(HookOps& ops) {
    // A pending check is about input from before the new hook, which the new
    // hook cannot have seen.
    if (checkPending_) Disarm(ops);
    if (hooked_) ops.remove();
    mark_ = HookMark{};
    hooked_ = ops.install();
    ops.clearDetector();
}

void HookWatchdog::Disarm(HookOps& ops) {
    checkPending_ = false;
    ops.disarmCheck();
}

}  // namespace keymap
