#include "keymap/MenuKeyWorker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using keymap::MenuRef;
using keymap::WindowRef;

struct FakeWindow {
    std::string className;
    MenuRef menu = 0;
    // How the class-name read behaves for this window.
    enum class Read { AsTheSystem, FailsLeavingText, FillsWithoutTerminator } read = Read::AsTheSystem;
};

// Records every call the worker makes, in order, as text.
class RecordingWorkerOps : public keymap::WorkerOps {
public:
    std::vector<WindowRef> foreground;  // answer of each successive foreground read; 0 after the end
    std::map<WindowRef, FakeWindow> windows;
    int32_t delay = 100;
    int32_t delayDuringWait = 100;  // the value the delay takes while the worker waits
    std::vector<std::string> calls;

    WindowRef foregroundWindow() override {
        const WindowRef w = reads_ < foreground.size() ? foreground[reads_] : 0;
        ++reads_;
        calls.push_back("foreground -> " + std::to_string(w));
        return w;
    }
    int className(WindowRef window, char* buffer, int count) override {
        calls.push_back("class(" + std::to_string(window) + ", " + std::to_string(count) + ")");
        auto it = windows.find(window);
        if (it == windows.end()) return 0;
        const FakeWindow& fw = it->second;
        switch (fw.read) {
        case FakeWindow::Read::FailsLeavingText:
            std::strncpy(buffer, "CabinetWClass", static_cast<size_t>(count));
            return 0;
        case FakeWindow::Read::FillsWithoutTerminator:
            std::memset(buffer, 'C', static_cast<size_t>(count));
            return count;
        case FakeWindow::Read::AsTheSystem:
            break;
        }
        // Like GetClassNameA: at most count - 1 characters and the terminator.
        const size_t n = std::min(fw.className.size(), static_cast<size_t>(count - 1));
        std::memcpy(buffer, fw.className.data(), n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    }
    MenuRef menu(WindowRef window) override {
        auto it = windows.find(window);
        const MenuRef m = it == windows.end() ? 0 : it->second.menu;
        calls.push_back("menu(" + std::to_string(window) + ") -> " + std::to_string(m));
        return m;
    }
    void keyEvent(uint8_t vk, uint8_t scan, uint32_t flags, uintptr_t extraInfo) override {
        calls.push_back("key(" + std::to_string(vk) + ", " + std::to_string(scan) + ", " + std::to_string(flags) +
                        ", " + std::to_string(extraInfo) + ")");
    }
    int32_t readDelay() override {
        calls.push_back("read delay -> " + std::to_string(delay));
        return delay;
    }
    void wait(int32_t ms) override {
        calls.push_back("wait(" + std::to_string(ms) + ")");
        delay = delayDuringWait;
    }

private:
    size_t reads_ = 0;
};

const std::vector<std::string> menuOnly = {"key(93, 0, 0, 0)", "key(93, 0, 2, 0)"};
std::vector<std::string> waitEscapeMenu(int32_t delay) {
    return {"read delay -> " + std::to_string(delay), "wait(" + std::to_string(delay) + ")",
            "key(27, 0, 0, 0)", "key(27, 0, 2, 0)", "key(93, 0, 0, 0)", "key(93, 0, 2, 0)"};
}

std::vector<std::string> probes(WindowRef first, WindowRef second, MenuRef menu) {
    return {"foreground -> " + std::to_string(first), "class(" + std::to_string(first) + ", 50)",
            "foreground -> " + std::to_string(second),
            "menu(" + std::to_string(second) + ") -> " + std::to_string(menu)};
}

std::vector<std::string> concat(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct WorkerCase {
    std::string name;
    std::vector<WindowRef> foreground;
    std::map<WindowRef, FakeWindow> windows;
    int32_t delay;
    std::vector<std::string> expected;
};

const std::string longExplorerName = std::string("CabinetWClass") + std::string(47, 'x');  // 60 characters

const std::vector<WorkerCase> workerCases = {
    {"explorer folder window without a menu bar", {1, 1}, {{1, {"CabinetWClass"}}}, 100,
     concat(probes(1, 1, 0), waitEscapeMenu(100))},
    {"any class with a menu bar", {1, 1}, {{1, {"Notepad", 0x77}}}, 100,
     concat(probes(1, 1, 0x77), waitEscapeMenu(100))},
    {"explorer folder window with a menu bar", {1, 1}, {{1, {"CabinetWClass", 0x77}}}, 250,
     concat(probes(1, 1, 0x77), waitEscapeMenu(250))},
    {"plain window", {1, 1}, {{1, {"Notepad"}}}, 100, concat(probes(1, 1, 0), menuOnly)},
    {"class differing in letter case", {1, 1}, {{1, {"cabinetwclass"}}}, 100, concat(probes(1, 1, 0), menuOnly)},
    {"class with one more character", {1, 1}, {{1, {"CabinetWClassX"}}}, 100, concat(probes(1, 1, 0), menuOnly)},
    {"class with one character less", {1, 1}, {{1, {"CabinetWClas"}}}, 100, concat(probes(1, 1, 0), menuOnly)},
    {"empty class name", {1, 1}, {{1, {""}}}, 100, concat(probes(1, 1, 0), menuOnly)},
    {"long class starting with the explorer name, cut to 49", {1, 1}, {{1, {longExplorerName}}}, 100,
     concat(probes(1, 1, 0), menuOnly)},
    {"no foreground window", {0, 0}, {}, 100, concat(probes(0, 0, 0), menuOnly)},
    {"class read fails leaving the explorer name in the buffer", {1, 1},
     {{1, {"CabinetWClass", 0, FakeWindow::Read::FailsLeavingText}}}, 100, concat(probes(1, 1, 0), menuOnly)},
    {"class read fills the whole buffer without a terminator", {1, 1},
     {{1, {"", 0, FakeWindow::Read::FillsWithoutTerminator}}}, 100, concat(probes(1, 1, 0), menuOnly)},
    // The foreground changes between the two reads: each test looks at its own window.
    {"explorer first, plain window second", {1, 2}, {{1, {"CabinetWClass"}}, {2, {"Notepad"}}}, 100,
     concat(probes(1, 2, 0), waitEscapeMenu(100))},
    {"plain first, window with a menu bar second", {1, 2}, {{1, {"Notepad"}}, {2, {"Notepad", 0x55}}}, 100,
     concat(probes(1, 2, 0x55), waitEscapeMenu(100))},
    {"menu bar on the first window only", {1, 2}, {{1, {"Notepad", 0x55}}, {2, {"Notepad"}}}, 100,
     concat(probes(1, 2, 0), menuOnly)},
    {"foreground gone at the second read", {1, 0}, {{1, {"Notepad", 0x55}}}, 100,
     concat(probes(1, 0, 0), menuOnly)},
    // The delay is passed on as read; the wait itself returns at once for 0 or less.
    {"qualifying window, delay 0", {1, 1}, {{1, {"CabinetWClass"}}}, 0, concat(probes(1, 1, 0), waitEscapeMenu(0))},
    {"qualifying window, negative delay", {1, 1}, {{1, {"Notepad", 0x77}}}, -5,
     concat(probes(1, 1, 0x77), waitEscapeMenu(-5))},
};

TEST(MenuKeyWorker, ProbesThenSendsTheRightKeysInOrder) {
    for (const WorkerCase& c : workerCases) {
        SCOPED_TRACE(c.name);
        RecordingWorkerOps ops;
        ops.foreground = c.foreground;
        ops.windows = c.windows;
        ops.delay = ops.delayDuringWait = c.delay;
        keymap::MenuKeyWorker(ops);
        EXPECT_EQ(ops.calls, c.expected);
    }
}

TEST(MenuKeyWorker, DelayChangedDuringTheWait_IsReadOnceAndNotReread) {
    RecordingWorkerOps ops;
    ops.foreground = {1, 1};
    ops.windows = {{1, {"CabinetWClass"}}};
    ops.delay = 300;
    ops.delayDuringWait = 5;
    keymap::MenuKeyWorker(ops);
    EXPECT_EQ(ops.calls, concat(probes(1, 1, 0), waitEscapeMenu(300)));
    EXPECT_EQ(ops.delay, 5) << "the substitute did change the delay during the wait";
}

TEST(MenuKeyWorker, SendKeyTap_PressThenReleaseWithScanCodeZeroAndNoExtendedFlag) {
    for (uint8_t vk : {uint8_t{27}, uint8_t{93}, uint8_t{0}, uint8_t{255}}) {
        SCOPED_TRACE(static_cast<int>(vk));
        RecordingWorkerOps ops;
        keymap::SendKeyTap(ops, vk);
        const std::string v = std::to_string(vk);
        EXPECT_EQ(ops.calls, (std::vector<std::string>{"key(" + v + ", 0, 0, 0)", "key(" + v + ", 0, 2, 0)"}));
    }
}

}  // namespace
