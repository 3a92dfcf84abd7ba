#pragma once
// Notices that the system has dropped the low-level keyboard hook and puts a
// new one in. The system silently removes a hook whose procedure does not
// answer within its time-out (under load, around sleep, locking and
// unlocking), and nothing tells whether a hook is still installed. Raw
// keyboard input reaches the window whatever became of the hook chain, so a
// key it reports that the hook has not seen means the hook is gone.
//
// A check runs only after input: raw input arms a one-shot check, which
// compares that input's time with the last event time the hook recorded. While
// nobody types, nothing runs.
#include <cstdint>

namespace keymap {

// What the hook procedure last recorded.
struct HookMark {
    uint32_t time = 0;  // the event's own time field, a tick count
    bool seen = false;  // any event since this hook was installed
};

// True when the hook missed the input of inputTime: it has seen no event since
// it was installed, or its last event is older. Tick counts wrap, so "older"
// is read from the unsigned difference: right across the wrap for times less
// than about 24 days apart.
bool HookMissedInput(HookMark mark, uint32_t inputTime);

// What the watchdog does to the world. The Win32 binding calls Windows; the
// tests record.
struct HookOps {
    virtual ~HookOps() = default;
    virtual bool install() = 0;        // a new low-level hook; false when none could be installed
    virtual void remove() = 0;         // the current hook; a failure is expected and ignored
    virtual void clearDetector() = 0;  // the tap detector back to its start state
    virtual void watch() = 0;          // raw keyboard input and session notifications to the window
    virtual void unwatch() = 0;
    virtual bool armCheck() = 0;       // the one-shot check, about a second from now; false on failure
    virtual void disarmCheck() = 0;
};

class HookWatchdog {
public:
    // From the hook procedure, for every event: one store, nothing else.
    void onHookEvent(uint32_t time) { mark_ = {time, true}; }

    // The first install, at the end of start-up, then the watch. Does nothing
    // once the shutdown steps have run, or a second time.
    void Start(HookOps& ops);
    // Raw keyboard input of that time: arms a check unless one is pending.
    void onRawInput(HookOps& ops, uint32_t time);
    // The check is due: a hook that missed the remembered input is replaced.
    void onCheckDue(HookOps& ops);
    // A fresh hook at once (resume, session unlocked or reconnected).
    void Renew(HookOps& ops);
    // The shutdown steps: the current hook removed, the watch ended, a pending
    // check disarmed. From then on nothing installs a hook.
    void Shutdown(HookOps& ops);

    bool running() const { return phase_ == Phase::Running; }
    bool checkPending() const { return checkPending_; }
    HookMark mark() const { return mark_; }

private:
    enum class Phase { BeforeStart, Running, ShutDown };

    // Removes the previous hook first: there are never two.
    void Reinstall(HookOps& ops);
    void Disarm(HookOps& ops);

    Phase phase_ = Phase::BeforeStart;
    HookMark mark_;
    bool hooked_ = false;  // the last install succeeded and its hook was not removed since
    bool checkPending_ = false;
    uint32_t inputTime_ = 0;  // the time of the input that armed the pending check
};

}  // namespace keymap
