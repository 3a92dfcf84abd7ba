#include "keymap/PumpedWait.h"

#include <gtest/gtest.h>

#include <climits>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace {

using keymap::PumpEnd;

constexpr uint32_t quit = keymap::wmQuit;

// A thread's queue and the tick count, under the test's control. Time moves only
// inside the waits (by at most waitStep per wait), so a wait that spun instead of
// blocking would never see time pass: the spin guard ends such a run and marks it.
class FakeMessagePumpOps : public keymap::MessagePumpOps {
public:
    uint32_t now = 1000;
    uint32_t waitStep = UINT32_MAX;  // the most a wait lets time advance (an early wake-up)
    std::deque<uint32_t> queue;
    struct Arrival {
        uint32_t at;
        uint32_t message;
    };
    std::vector<Arrival> arrivals;  // messages posted by someone else, in time order
    std::set<uint32_t> consumedByPreTranslate;
    bool takeFails = false;

    std::vector<std::string> log;
    std::vector<uint32_t> dispatched;
    int peeks = 0;
    bool spun = false;

    uint32_t tickCount() override {
        log.push_back("tick " + std::to_string(now));
        return now;
    }
    bool peekHead(uint32_t& message) override {
        if (++peeks > 100000) {  // spin guard: a correct wait never gets here
            spun = true;
            now += 0x10000000;
        }
        if (queue.empty()) {
            log.push_back("peek empty");
            return false;
        }
        message = queue.front();
        log.push_back("peek " + std::to_string(message));
        return true;
    }
    bool takeNext() override {
        log.push_back("take");
        if (takeFails) return false;
        current_ = queue.front();
        queue.pop_front();
        return true;
    }
    bool preTranslate() override {
        log.push_back("pretranslate");
        return consumedByPreTranslate.count(current_) != 0;
    }
    void translate() override { log.push_back("translate"); }
    void dispatch() override {
        log.push_back("dispatch " + std::to_string(current_));
        dispatched.push_back(current_);
    }
    void waitForInput(uint32_t timeoutMs) override {
        log.push_back("wait " + std::to_string(timeoutMs));
        if (!queue.empty()) return;  // input is there: back at once
        advance(timeoutMs);
    }
    void waitForNewInput(uint32_t timeoutMs) override {
        log.push_back("wait new " + std::to_string(timeoutMs));
        advance(timeoutMs);
    }

    std::vector<std::string> waits() const {
        std::vector<std::string> w;
        for (const std::string& s : log)
            if (s.rfind("wait", 0) == 0) w.push_back(s);
        return w;
    }

private:
    // Moves time on until the timeout, an early wake-up or the next arrival.
    void advance(uint32_t timeoutMs) {
        uint32_t step = std::min(timeoutMs, waitStep);
        if (!arrivals.empty()) {
            const uint32_t untilArrival = arrivals.front().at - now;
            if (untilArrival <= step) {
                step = untilArrival;
                queue.push_back(arrivals.front().message);
                arrivals.erase(arrivals.begin());
            }
        }
        now += step;
    }

    uint32_t current_ = 0;
};

TEST(DelayWithEvents, ZeroOrNegative_ReturnsAtOnceWithoutLookingAtTheQueue) {
    for (int32_t ms : {0, -1, -500, INT32_MIN}) {
        SCOPED_TRACE(ms);
        FakeMessagePumpOps q;
        q.queue = {5, 6};
        keymap::DelayWithEvents(q, ms);
        EXPECT_TRUE(q.log.empty());
        EXPECT_EQ(q.queue.size(), 2u);
    }
}

// The whole conversation for a short wait: two dispatching passes before the
// test, two more, then a block for the rest of the time, then the same again.
TEST(DelayWithEvents, EmptyQueue_TwoPassesBeforeEachTestAndBlocksForTheRemainder) {
    FakeMessagePumpOps q;
    keymap::DelayWithEvents(q, 10);
    const std::vector<std::string> expected = {
        "tick 1000", "peek empty", "peek empty", "tick 1000", "peek empty", "peek empty", "wait 11",
        "peek empty", "peek empty", "tick 1011",
    };
    EXPECT_EQ(q.log, expected);
    EXPECT_FALSE(q.spun);
}

TEST(DelayWithEvents, QueuedMessages_AreDispatchedInTheFirstPassBeforeAnyTest) {
    FakeMessagePumpOps q;
    q.queue = {100, 101};
    keymap::DelayWithEvents(q, 1);
    ASSERT_GE(q.log.size(), 13u);
    const std::vector<std::string> head(q.log.begin(), q.log.begin() + 13);
    const std::vector<std::string> expected = {
        "tick 1000", "peek 100", "take", "pretranslate", "translate", "dispatch 100",
        "peek 101",  "take",     "pretranslate", "translate", "dispatch 101", "peek empty", "peek empty",
    };
    EXPECT_EQ(head, expected);
    EXPECT_EQ(q.log[13], "tick 1000");
}

// The wait ends only when the unsigned tick difference exceeds ms, also when the
// tick count wraps during the wait and when a wait wakes early; each block asks
// for just the time that is left.
TEST(DelayWithEvents, EndsOnlyWhenElapsedExceedsMs) {
    struct Case {
        const char* name;
        uint32_t start;
        int32_t ms;
        uint32_t waitStep;
        std::vector<std::string> waits;
    };
    const std::vector<Case> cases = {
        {"exactly ms is not enough", 1000, 10, 5, {"wait 11", "wait 6", "wait 1"}},
        {"one ms needs a tick advance of two", 1000, 1, 1, {"wait 2", "wait 1"}},
        {"one whole block", 1000, 500, UINT32_MAX, {"wait 501"}},
        {"early wakes", 1000, 100, 30, {"wait 101", "wait 71", "wait 41", "wait 11"}},
        {"wrap from the largest value", UINT32_MAX, 100, 60, {"wait 101", "wait 41"}},
        {"wrap in the middle of the wait", UINT32_MAX - 40, 100, 50, {"wait 101", "wait 51", "wait 1"}},
        {"wrap landing on zero at exactly ms", UINT32_MAX - 9, 10, 10, {"wait 11", "wait 1"}},
        {"largest delay", 0, INT32_MAX, UINT32_MAX, {"wait 2147483648"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMessagePumpOps q;
        q.now = c.start;
        q.waitStep = c.waitStep;
        keymap::DelayWithEvents(q, c.ms);
        EXPECT_FALSE(q.spun);
        EXPECT_EQ(q.now - c.start, static_cast<uint32_t>(c.ms) + 1);
        EXPECT_EQ(q.waits(), c.waits);
        EXPECT_EQ(q.log.back(), "tick " + std::to_string(q.now)) << "the last act is the test that ends it";
    }
}

TEST(DelayWithEvents, MessageArrivingDuringTheWait_IsDispatchedAndTheWaitGoesOn) {
    FakeMessagePumpOps q;
    q.arrivals = {{1030, 42}, {1060, 43}};
    keymap::DelayWithEvents(q, 100);
    EXPECT_EQ(q.dispatched, (std::vector<uint32_t>{42, 43}));
    EXPECT_EQ(q.waits(), (std::vector<std::string>{"wait 101", "wait 71", "wait 41"}));
    EXPECT_EQ(q.now, 1101u);
}

TEST(DelayWithEvents, QuitAtHead_StaysWithEverythingBehindItAndTheWaitRunsItsFullLength) {
    FakeMessagePumpOps q;
    q.queue = {7, quit, 9};
    q.arrivals = {{1040, 11}};
    keymap::DelayWithEvents(q, 100);
    EXPECT_FALSE(q.spun);
    EXPECT_EQ(q.dispatched, (std::vector<uint32_t>{7}));
    EXPECT_EQ(q.queue, (std::deque<uint32_t>{quit, 9, 11}));
    EXPECT_EQ(q.now, 1101u);
    // It blocks for new input only; waiting for any input would return at once forever.
    EXPECT_EQ(q.waits(), (std::vector<std::string>{"wait new 101", "wait new 61"}));
}

TEST(DelayWithEvents, FailedTake_DoesNotSpin) {
    FakeMessagePumpOps q;
    q.queue = {7};
    q.takeFails = true;
    keymap::DelayWithEvents(q, 50);
    EXPECT_FALSE(q.spun);
    EXPECT_EQ(q.now, 1051u);
    EXPECT_TRUE(q.dispatched.empty());
}

TEST(PumpPendingMessages, DispatchesUpToTheQuitAndHonoursThePreTranslation) {
    struct Case {
        const char* name;
        std::deque<uint32_t> queue;
        std::set<uint32_t> consumed;
        PumpEnd end;
        std::vector<uint32_t> dispatched;
        std::deque<uint32_t> left;
    };
    const std::vector<Case> cases = {
        {"empty queue", {}, {}, PumpEnd::QueueEmpty, {}, {}},
        {"all dispatched in order", {1, 2, 3}, {}, PumpEnd::QueueEmpty, {1, 2, 3}, {}},
        {"quit first", {quit, 1}, {}, PumpEnd::QuitAtHead, {}, {quit, 1}},
        {"stops at the quit", {1, 2, quit, 3}, {}, PumpEnd::QuitAtHead, {1, 2}, {quit, 3}},
        {"consumed message is taken but not dispatched", {1, 2, 3}, {2}, PumpEnd::QueueEmpty, {1, 3}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMessagePumpOps q;
        q.queue = c.queue;
        q.consumedByPreTranslate = c.consumed;
        EXPECT_EQ(keymap::PumpPendingMessages(q), c.end);
        EXPECT_EQ(q.dispatched, c.dispatched);
        EXPECT_EQ(q.queue, c.left);
    }
}

TEST(PumpPendingMessages, ConsumedMessage_IsNeitherTranslatedNorDispatched) {
    FakeMessagePumpOps q;
    q.queue = {5};
    q.consumedByPreTranslate = {5};
    keymap::PumpPendingMessages(q);
    EXPECT_EQ(q.log, (std::vector<std::string>{"peek 5", "take", "pretranslate", "peek empty"}));
}

}  // namespace
