#include "keymap/TapDetector.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using keymap::TapDetector;

struct Event {
    uint32_t message;
    uint8_t key;
    bool starts;  // the answer expected for this event
};

struct Sequence {
    std::string name;
    std::vector<Event> events;  // fed to a fresh detector, in order
    bool armedAfter;
};

constexpr uint32_t keyDown = 256, keyUp = 257, sysKeyDown = 260, sysKeyUp = 261;
constexpr uint8_t rightAlt = 165, leftAlt = 164;

// Every row of the transition table is reached from both armed states; the
// armed state is set up by the events before the one under test.
const std::vector<Sequence> sequences = {
    {"tap", {{sysKeyDown, rightAlt, false}, {keyUp, rightAlt, true}}, false},
    {"auto-repeat then release",
     {{sysKeyDown, rightAlt, false}, {sysKeyDown, rightAlt, false}, {sysKeyDown, rightAlt, false},
      {keyUp, rightAlt, true}},
     false},
    {"other key released while held cancels",
     {{sysKeyDown, rightAlt, false}, {sysKeyDown, 9, false}, {sysKeyUp, 9, false}, {keyUp, rightAlt, false}},
     false},
    {"other key still down at release counts",
     {{sysKeyDown, rightAlt, false}, {sysKeyDown, 88, false}, {keyUp, rightAlt, true}, {keyUp, 88, false}},
     false},
    {"release with nothing before", {{keyUp, rightAlt, false}}, false},
    {"right alt released as sys key up cancels, later key up starts nothing",
     {{sysKeyDown, rightAlt, false}, {sysKeyUp, rightAlt, false}, {keyUp, rightAlt, false}},
     false},
    {"press as key down (ctrl held) never arms", {{keyDown, rightAlt, false}, {keyUp, rightAlt, false}}, false},
    {"left alt starts nothing", {{sysKeyDown, leftAlt, false}, {keyUp, leftAlt, false}}, false},
    {"left alt press does not arm, right alt release alone does not start",
     {{sysKeyDown, leftAlt, false}, {keyUp, rightAlt, false}},
     false},
    {"two taps start two workers",
     {{sysKeyDown, rightAlt, false}, {keyUp, rightAlt, true}, {sysKeyDown, rightAlt, false},
      {keyUp, rightAlt, true}},
     false},
    {"second release after a tap starts nothing",
     {{sysKeyDown, rightAlt, false}, {keyUp, rightAlt, true}, {keyUp, rightAlt, false}},
     false},
    // Rows that leave the state unchanged, from armed.
    {"armed: sys key down of another key keeps it", {{sysKeyDown, rightAlt, false}, {sysKeyDown, 9, false}}, true},
    {"armed: key up of another key keeps it", {{sysKeyDown, rightAlt, false}, {keyUp, 88, false}}, true},
    {"armed: key down of any key keeps it",
     {{sysKeyDown, rightAlt, false}, {keyDown, rightAlt, false}, {keyDown, 65, false}},
     true},
    {"armed: other messages keep it",
     {{sysKeyDown, rightAlt, false}, {0, rightAlt, false}, {258, rightAlt, false}, {0xFFFFFFFFu, rightAlt, false}},
     true},
    {"armed: sys key down of right alt again stays armed", {{sysKeyDown, rightAlt, false}, {sysKeyDown, rightAlt, false}},
     true},
    // Rows that leave the state unchanged, from unarmed.
    {"unarmed: sys key up of anything stays unarmed", {{sysKeyUp, 88, false}, {sysKeyUp, rightAlt, false}}, false},
    {"unarmed: other messages stay unarmed", {{keyDown, 65, false}, {0, rightAlt, false}, {keyUp, 0, false}}, false},
    // Sys key up of any key, key 0 and 255 included, disarms.
    {"sys key up of key 0 cancels", {{sysKeyDown, rightAlt, false}, {sysKeyUp, 0, false}, {keyUp, rightAlt, false}},
     false},
    {"sys key up of key 255 cancels",
     {{sysKeyDown, rightAlt, false}, {sysKeyUp, 255, false}, {keyUp, rightAlt, false}},
     false},
    // The keys a worker injects pass through and neither arm nor start.
    {"injected escape and menu keys are inert while armed",
     {{sysKeyDown, rightAlt, false}, {keyDown, 27, false}, {keyUp, 27, false}, {keyDown, 93, false},
      {keyUp, 93, false}, {keyUp, rightAlt, true}},
     false},
    {"injected escape and menu keys alone start nothing",
     {{keyDown, 27, false}, {keyUp, 27, false}, {keyDown, 93, false}, {keyUp, 93, false}},
     false},
    {"re-armed after a cancel",
     {{sysKeyDown, rightAlt, false}, {sysKeyUp, 9, false}, {sysKeyDown, rightAlt, false}, {keyUp, rightAlt, true}},
     false},
};

TEST(TapDetector, Sequences_GiveTheExpectedAnswerAtEachEventAndFinalState) {
    for (const Sequence& s : sequences) {
        SCOPED_TRACE(s.name);
        TapDetector detector;
        ASSERT_FALSE(detector.altArmed()) << "a fresh detector starts unarmed";
        for (size_t i = 0; i < s.events.size(); ++i) {
            const Event& e = s.events[i];
            SCOPED_TRACE("event " + std::to_string(i) + " (" + std::to_string(e.message) + ", " +
                         std::to_string(e.key) + ")");
            EXPECT_EQ(detector.ProcessKeyEvent(e.message, e.key), e.starts);
        }
        EXPECT_EQ(detector.altArmed(), s.armedAfter);
    }
}

// Right Alt can be held for any time: no event count or clock ends the tap.
TEST(TapDetector, LongHold_ThousandsOfRepeatsStillCountAsATap) {
    TapDetector detector;
    for (int i = 0; i < 10000; ++i) ASSERT_FALSE(detector.ProcessKeyEvent(sysKeyDown, rightAlt));
    EXPECT_TRUE(detector.ProcessKeyEvent(keyUp, rightAlt));
}

// A new hook starts from scratch: the release that follows a press seen by the
// hook before it starts nothing.
TEST(TapDetector, Clear_DropsAHalfSeenTap) {
    TapDetector detector;
    detector.ProcessKeyEvent(sysKeyDown, rightAlt);
    detector.Clear();
    EXPECT_FALSE(detector.altArmed());
    EXPECT_FALSE(detector.ProcessKeyEvent(keyUp, rightAlt));
}

}  // namespace
