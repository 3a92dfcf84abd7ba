#include "keymap/HookWatchdog.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace {

using keymap::HookMark;
using keymap::HookMissedInput;
using keymap::HookOps;
using keymap::HookWatchdog;

TEST(HookWatchdog, HookMissedInput_ComparesTickCountsAcrossTheWrap) {
    struct Case {
        const char* name;
        HookMark mark;
        uint32_t input;
        bool missed;
    };
    const Case cases[] = {
        {"input newer than the mark", {1000, true}, 1001, true},
        {"input equal to the mark", {1000, true}, 1000, false},
        {"input older than the mark", {1000, true}, 999, false},
        {"no event seen yet", {0, false}, 0, true},
        {"no event seen yet, whatever the stale time says", {5000, false}, 10, true},
        {"mark just before the wrap, input just after", {0xFFFFFFF0u, true}, 0x10, true},
        {"mark just after the wrap, input just before", {0x10, true}, 0xFFFFFFF0u, false},
        {"mark at the largest tick, input at zero", {0xFFFFFFFFu, true}, 0, true},
        {"mark at zero, input at the largest tick", {0, true}, 0xFFFFFFFFu, false},
        {"input almost half the range ahead", {0, true}, 0x7FFFFFFFu, true},
        {"input half the range ahead reads as behind", {0, true}, 0x80000000u, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HookMissedInput(c.mark, c.input), c.missed);
    }
}

// Records what the watchdog does; an install or an arming can be told to fail.
class RecordingHookOps : public HookOps {
public:
    bool install() override {
        const bool ok = failInstalls.empty() || !failInstalls.front();
        if (!failInstalls.empty()) failInstalls.pop_front();
        calls.push_back(ok ? "install" : "install failed");
        return ok;
    }
    void remove() override { calls.push_back("remove"); }
    void clearDetector() override { calls.push_back("clear"); }
    void watch() override { calls.push_back("watch"); }
    void unwatch() override { calls.push_back("unwatch"); }
    bool armCheck() override {
        calls.push_back(armFails ? "arm failed" : "arm");
        return !armFails;
    }
    void disarmCheck() override { calls.push_back("disarm"); }

    std::vector<std::string> calls;
    std::deque<bool> failInstalls;  // one entry per coming install: true fails it
    bool armFails = false;
};

enum class Do { Start, Hook, Raw, Check, Renew, Shutdown, FailNextInstall, ArmFails, ArmWorks, Expect };

struct Step {
    Do what;
    uint32_t time = 0;
    std::vector<std::string> calls = {};  // Do::Expect: the calls since the last Expect
};

struct Case {
    const char* name;
    std::vector<Step> steps;
};

Step Hook(uint32_t t) { return {Do::Hook, t}; }
Step Raw(uint32_t t) { return {Do::Raw, t}; }
Step Expect(std::vector<std::string> calls) { return {Do::Expect, 0, std::move(calls)}; }
const Step start{Do::Start}, check{Do::Check}, renew{Do::Renew}, shutdown{Do::Shutdown},
    failNextInstall{Do::FailNextInstall}, armFails{Do::ArmFails}, armWorks{Do::ArmWorks};

using Calls = std::vector<std::string>;
const Calls started = {"install", "clear", "watch"};
const Calls reinstalled = {"remove", "install", "clear"};

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

const std::vector<Case> cases = {
    {"start installs, clears the detector, then watches", {start, Expect(started)}},
    {"input newer than the hook's mark: the hook is replaced",
     {start, Hook(100), Raw(101), Expect(Join({started, {"arm"}})), check,
      Expect(Join({{"disarm"}, reinstalled}))}},
    {"input equal to the mark: kept", {start, Hook(100), Raw(100), check, Expect(Join({started, {"arm", "disarm"}}))}},
    {"input older than the mark: kept", {start, Hook(100), Raw(99), check, Expect(Join({started, {"arm", "disarm"}}))}},
    {"the hook has seen no event yet: replaced", {start, Raw(5), check, Expect(Join({started, {"arm", "disarm"}, reinstalled}))}},
    {"across the wrap: input just past zero, mark just before: replaced",
     {start, Hook(0xFFFFFFF0u), Raw(0x10), check, Expect(Join({started, {"arm", "disarm"}, reinstalled}))}},
    {"across the wrap: mark just past zero, input just before: kept",
     {start, Hook(0x10), Raw(0xFFFFFFF0u), check, Expect(Join({started, {"arm", "disarm"}}))}},
    {"input while a check is pending arms nothing; the first input is the one compared",
     {start, Hook(100), Raw(100), Raw(300), Raw(400), check, Expect(Join({started, {"arm", "disarm"}}))}},
    {"the hook catches up before the check: kept",
     {start, Raw(150), Hook(150), Hook(200), check, Expect(Join({started, {"arm", "disarm"}}))}},
    {"after a check the next input arms again",
     {start, Hook(100), Raw(100), check, Raw(200), Expect(Join({started, {"arm", "disarm", "arm"}})), check,
      Expect(Join({{"disarm"}, reinstalled}))}},
    {"a new hook has seen nothing: the old hook's mark does not count",
     {start, Hook(100), Raw(200), check, Raw(50), check,
      Expect(Join({started, {"arm", "disarm"}, reinstalled, {"arm", "disarm"}, reinstalled}))}},
    {"install failed at start-up: still watched, and the first check installs",
     {failNextInstall, start, Expect({"install failed", "clear", "watch"}), Raw(7), check,
      Expect({"arm", "disarm", "install", "clear"})}},
    {"a re-install that fails, then the next check succeeds without removing anything",
     {start, Raw(5), failNextInstall, check, Expect(Join({started, {"arm", "disarm", "remove", "install failed", "clear"}})),
      Raw(6), check, Expect({"arm", "disarm", "install", "clear"}), Hook(8), Raw(8), check,
      Expect({"arm", "disarm"})}},
    {"a check that cannot be armed: the next input tries again",
     {start, armFails, Raw(5), Raw(6), armWorks, Raw(7), check,
      Expect(Join({started, {"arm failed", "arm failed", "arm", "disarm"}, reinstalled}))}},
    {"a timer firing with no check pending does nothing", {start, check, check, Expect(started)}},
    {"renew replaces the hook at once and drops the pending check",
     {start, Hook(100), Raw(200), renew, Expect(Join({started, {"arm", "disarm"}, reinstalled})), check, Expect({})}},
    {"renew after a failed install installs without removing",
     {failNextInstall, start, renew, Expect({"install failed", "clear", "watch", "install", "clear"})}},
    {"shutdown removes the hook, ends the watch, disarms the pending check",
     {start, Raw(1), shutdown, Expect(Join({started, {"arm", "remove", "unwatch", "disarm"}}))}},
    {"shutdown without a pending check", {start, shutdown, Expect(Join({started, {"remove", "unwatch"}}))}},
    {"shutdown after a failed re-install removes nothing",
     {start, Raw(1), failNextInstall, check, shutdown,
      Expect(Join({started, {"arm", "disarm", "remove", "install failed", "clear", "unwatch"}}))}},
    {"nothing installs, watches or arms after the shutdown steps",
     {start, shutdown, Expect(Join({started, {"remove", "unwatch"}})), Raw(1), check, renew, start, shutdown,
      Expect({})}},
    {"shutdown before start (quit during the start-up wait): the start installs nothing",
     {shutdown, start, Raw(1), check, renew, Expect({})}},
    {"before start, input and renewals do nothing", {Raw(1), check, renew, Expect({}), start, Expect(started)}},
    {"a second start does nothing", {start, start, Expect(started)}},
};

TEST(HookWatchdog, Lifecycle_CallsTheOperationsInOrder) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingHookOps ops;
        HookWatchdog dog;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& s = c.steps[i];
            switch (s.what) {
                case Do::Start: dog.Start(ops); break;
                case Do::Hook: dog.onHookEvent(s.time); break;
                case Do::Raw: dog.onRawInput(ops, s.time); break;
                case Do::Check: dog.onCheckDue(ops); break;
                case Do::Renew: dog.Renew(ops); break;
                case Do::Shutdown: dog.Shutdown(ops); break;
                case Do::FailNextInstall: ops.failInstalls.push_back(true); break;
                case Do::ArmFails: ops.armFails = true; break;
                case Do::ArmWorks: ops.armFails = false; break;
                case Do::Expect:
                    EXPECT_EQ(ops.calls, s.calls) << "at step " << i;
                    ops.calls.clear();
                    break;
            }
        }
        EXPECT_EQ(ops.calls, Calls{}) << "calls after the last expectation";
    }
}

TEST(HookWatchdog, EveryInstall_StartsFromAnUnseenMark) {
    RecordingHookOps ops;
    HookWatchdog dog;
    dog.Start(ops);
    EXPECT_FALSE(dog.mark().seen);
    dog.onHookEvent(42);
    EXPECT_TRUE(dog.mark().seen);
    EXPECT_EQ(dog.mark().time, 42u);
    dog.Renew(ops);
    EXPECT_FALSE(dog.mark().seen) << "the new hook has seen nothing yet";
    EXPECT_TRUE(dog.running());
    dog.Shutdown(ops);
    EXPECT_FALSE(dog.running());
}

}  // namespace
