#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "FakeRegistryOps.h"
#include "settings/ProgramPath.h"
#include "settings/RegistryStore.h"
#include "settings/SettingsLogic.h"
#include "settings/TextNumber.h"

#include "app/CommandLine.h"

namespace {

// The two controls as the window builds them: the box starts with "100", the
// check box unchecked; a text write raises text-changed once, synchronously,
// which calls the settings' handler as the real window does.
class FakeSettingsControlOps final : public SettingsControlOps {
public:
    explicit FakeSettingsControlOps(std::atomic<int32_t>& delay) : delay_(delay) {}

    std::string delayText() override { return text; }
    void setDelayText(const char* newText) override {
        text = newText;
        ++textChangedEvents;
        onDelayTextChanged(*this, delay_);
    }
    bool autostartChecked() override { return checked; }
    void setAutostartChecked(bool value) override {
        checked = value;
        ++checkWrites;
    }

    // What the user does: edit the text, click the box.
    void type(const std::string& newText) { setDelayText(newText.c_str()); }

    std::string text = "100";
    bool checked = false;
    int checkWrites = 0;  // the click handler must leave the box as the click left it
    int textChangedEvents = 0;

private:
    std::atomic<int32_t>& delay_;
};

void Store(FakeRegistryOps& registry, const char* keyPath, const char* name, uint32_t type, const std::string& bytes) {
    reg::Key key = 0;
    ASSERT_EQ(registry.createKey(reg::currentUser, keyPath, &key), reg::ok);
    ASSERT_EQ(registry.setValue(key, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                static_cast<uint32_t>(bytes.size())),
              reg::ok);
    registry.closeKey(key);
}

// Where the values must land, written out here rather than taken from the
// code's own constants: every load, save and click below is checked against them.
constexpr const char* programKey = "Software\\MorvenhalTobrand\\Kestrova";
constexpr const char* runKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Settings : ::testing::Test {
    FakeRegistryOps registry;
    std::atomic<int32_t> delay{0};
    FakeSettingsControlOps controls{delay};

    // The stored Delay as (type, bytes), or nothing.
    bool storedDelay(uint32_t* type, std::string* bytes) {
        reg::Key key = 0;
        if (registry.openKey(reg::currentUser, programKey, reg::keyRead, &key) != reg::ok)
            return false;
        uint8_t data[64];
        uint32_t size = sizeof data;
        const bool found = registry.queryValue(key, "Delay", type, data, &size) == reg::ok;
        registry.closeKey(key);
        bytes->assign(reinterpret_cast<const char*>(data), found ? size : 0);
        return found;
    }
};

std::string Dword(uint32_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
}

TEST(SettingsLoad, StoredDelay_FillsTheBoxAndTheDelayBeforeAnyWorker) {
    struct Case {
        const char* behaviour;
        bool stored;
        uint32_t type;
        std::string bytes;
        const char* shown;
        int32_t delay;
    };
    const std::vector<Case> cases = {
        {"nothing stored: 100", false, 0, "", "100", 100},
        {"250", true, reg::typeDword, Dword(250), "250", 250},
        {"0", true, reg::typeDword, Dword(0), "0", 0},
        {"0xFFFFFFFF is -1, not clamped", true, reg::typeDword, Dword(0xFFFFFFFF), "-1", -1},
        {"5000 is kept", true, reg::typeDword, Dword(5000), "5000", 5000},
        {"the 32-bit extreme", true, reg::typeDword, Dword(0x80000000), "-2147483648", INT32_MIN},
        {"a REG_SZ of digits: 100", true, reg::typeSz, std::string("250", 4), "100", 100},
        {"an 8-byte REG_DWORD: 100", true, reg::typeDword, Dword(250) + Dword(0), "100", 100},
        {"a 2-byte REG_DWORD: 100", true, reg::typeDword, std::string("\xFA\x00", 2), "100", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        FakeRegistryOps registry;
        std::atomic<int32_t> delay{0};
        FakeSettingsControlOps controls{delay};
        if (c.stored) Store(registry, programKey, "Delay", c.type, c.bytes);
        LoadDelaySetting(registry, controls);
        EXPECT_EQ(controls.text, c.shown);
        EXPECT_EQ(delay.load(), c.delay);
        // The write of "100" over the equal initial text still raised the event.
        EXPECT_EQ(controls.textChangedEvents, 1);
        EXPECT_EQ(registry.openHandles(), 0u);
    }
}

TEST_F(Settings, LoadWithNothingStored_TakesTheDefaultFromTheBoxText) {
    for (const auto& [initial, shown] : std::vector<std::pair<std::string, std::string>>{
             {"100", "100"}, {"250.9", "250"}, {"1e3", "1000"}, {"\xA3\xB4\xA3\xB0", "40"}, {"", "0"}}) {
        SCOPED_TRACE(initial);
        controls.text = initial;
        LoadDelaySetting(registry, controls);
        EXPECT_EQ(controls.text, shown);
    }
}

TEST_F(Settings, DelayText_FollowsEveryChangeOfTheBox) {
    const std::vector<std::pair<std::string, int32_t>> typing = {
        {"2", 2}, {"25", 25}, {"250", 250}, {"", 0}, {"0", 0}, {"00", 0}, {"007", 7}, {"7", 7},
        {"\xA3\xB3\xA3\xB0\xA3\xB0", 300}, {"99999999999", 1215752191}, {"2147483647", INT32_MAX}, {"-5", -5},
    };
    for (const auto& [text, expected] : typing) {
        SCOPED_TRACE(text);
        controls.type(text);
        EXPECT_EQ(delay.load(), expected);
    }
}

TEST_F(Settings, Save_StoresTheDelayAsDwordAndCreatesTheKeys) {
    for (const int32_t value : {100, 0, -1, 5000, INT32_MIN}) {
        SCOPED_TRACE(value);
        SaveDelaySetting(registry, value);
        uint32_t type = 0;
        std::string bytes;
        ASSERT_TRUE(storedDelay(&type, &bytes));
        EXPECT_EQ(type, reg::typeDword);
        EXPECT_EQ(bytes, Dword(static_cast<uint32_t>(value)));
    }
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(Settings, EmptiedBoxThenQuit_StoresZeroAndTheNextStartShowsZero) {
    LoadDelaySetting(registry, controls);
    controls.type("");
    SaveDelaySetting(registry, delay.load());

    std::atomic<int32_t> nextDelay{0};
    FakeSettingsControlOps nextStart{nextDelay};
    LoadDelaySetting(registry, nextStart);
    EXPECT_EQ(nextStart.text, "0");
    EXPECT_EQ(nextDelay.load(), 0);
}

TEST_F(Settings, QuitWithoutTouchingTheBox_WritesBackTheLoadedValue) {
    Store(registry, programKey, "Delay", reg::typeSz, std::string("250", 4));  // unusable: the default is loaded and saved
    LoadDelaySetting(registry, controls);
    SaveDelaySetting(registry, delay.load());
    uint32_t type = 0;
    std::string bytes;
    ASSERT_TRUE(storedDelay(&type, &bytes));
    EXPECT_EQ(type, reg::typeDword);
    EXPECT_EQ(bytes, Dword(100));
}

TEST(SettingsStart, AutostartBox_IsCheckedWheneverTheRunValueExists) {
    struct Case {
        const char* behaviour;
        bool stored;
        uint32_t type;
        std::string bytes;
        bool checkedBefore;
        bool checked;
    };
    const std::vector<Case> cases = {
        {"no value", false, 0, "", false, false},
        {"no value unchecks a checked box", false, 0, "", true, false},
        {"our command", true, reg::typeSz, std::string("\"C:\\K\\Kestrova.exe\" /hidden", 28), false, true},
        {"a value naming another program", true, reg::typeSz, std::string("C:\\Other\\o.exe", 15), false, true},
        {"an empty text", true, reg::typeSz, std::string(1, '\0'), false, true},
        {"a number", true, reg::typeDword, Dword(1), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.behaviour);
        FakeRegistryOps registry;
        std::atomic<int32_t> delay{0};
        FakeSettingsControlOps controls{delay};
        controls.checked = c.checkedBefore;
        if (c.stored) Store(registry, runKey, "Kestrova", c.type, c.bytes);
        InitAutostartBox(registry, controls);
        EXPECT_EQ(controls.checked, c.checked);
    }
}

TEST_F(Settings, AutostartClicks_WriteTheQuotedCommandAndDeleteIt) {
    const std::string command = AutostartCommand(CutProgramPath("D:\\My Tools\\tray.exe"));
    EXPECT_EQ(command, "\"D:\\My Tools\\tray.exe\" /hidden");

    controls.checked = true;  // the box toggles itself before its click event
    onAutostartClicked(registry, controls, command);
    reg::Key key = 0;
    ASSERT_EQ(registry.openKey(reg::currentUser, runKey, reg::keyRead, &key), reg::ok);
    char data[128] = {};
    uint32_t type = 0;
    uint32_t size = sizeof data;
    ASSERT_EQ(registry.queryValue(key, "Kestrova", &type, reinterpret_cast<uint8_t*>(data), &size), reg::ok);
    registry.closeKey(key);
    EXPECT_EQ(type, reg::typeSz);
    EXPECT_EQ(std::string(data, size), command + '\0');

    controls.checked = false;
    onAutostartClicked(registry, controls, command);
    EXPECT_FALSE(RegValueExists(registry, autostartPath));
    EXPECT_EQ(controls.checkWrites, 0);
    EXPECT_EQ(registry.openHandles(), 0u);
}

TEST_F(Settings, UncheckingWithoutAValue_RemovesASameNamedEmptyKey) {
    reg::Key key = 0;
    ASSERT_EQ(registry.createKey(reg::currentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Kestrova", &key),
              reg::ok);
    registry.closeKey(key);
    onAutostartClicked(registry, controls, "unused");
    EXPECT_NE(registry.openKey(reg::currentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Kestrova",
                               reg::keyRead, &key),
              reg::ok);
}

TEST_F(Settings, CheckingWhileTheRunKeyIsLocked_KeepsTheBoxCheckedAndTheNextStartUnchecked) {
    registry.makeReadOnly("Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    controls.checked = true;
    onAutostartClicked(registry, controls, "\"C:\\K\\Kestrova.exe\" /hidden");
    EXPECT_EQ(controls.checkWrites, 0);

    std::atomic<int32_t> nextDelay{0};
    FakeSettingsControlOps nextStart{nextDelay};
    nextStart.checked = true;
    InitAutostartBox(registry, nextStart);
    EXPECT_FALSE(nextStart.checked);
}

// Windows runs the Run value as a command line; the program must see exactly
// one argument, /hidden, whatever its folder is called.
TEST(AutostartCommand, SplitsIntoTheProgramAndTheOneArgumentHidden) {
    for (const char* path : {"D:\\My Tools\\tray.exe", "C:\\Kestrova.exe", "C:\\Program Files (x86)\\K\\Kestrova.exe",
                             "C:\\\xB9\xA4\xBE\xDF \x81\x5C\\Kestrova.exe"}) {
        SCOPED_TRACE(path);
        const std::string command = AutostartCommand(CutProgramPath(path));
        EXPECT_EQ(command, "\"" + std::string(path) + "\" /hidden");
        EXPECT_EQ(SplitCommandLine(command.c_str()), std::vector<std::string>{"/hidden"});
    }
}

}  // namespace
