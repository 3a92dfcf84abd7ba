#include "WindowFixture.h"

#include <algorithm>

std::vector<std::string> eventLog;
int closeQueryAnswer = -1;
void (*whileCreated)() = nullptr;

namespace {

void Log(const char* event) { eventLog.emplace_back(event); }

MainWindowEvents RecordingEvents() {
    MainWindowEvents e;
    e.onCreated = [] {
        Log("created");
        if (whileCreated) whileCreated();
    };
    e.onWillBeDestroyed = [] { Log("willBeDestroyed"); };
    e.onCloseQuery = [] {
        Log("closeQuery");
        return closeQueryAnswer < 0 ? onCloseQuery() : closeQueryAnswer != 0;
    };
    e.onTrayEvent = [](int code) { eventLog.push_back("tray:" + std::to_string(code)); };
    e.onMenuItem = [](int position) { eventLog.push_back("menu:" + std::to_string(position)); };
    e.onDelayTextChanged = [] { Log("delayText"); };
    e.onAutostartClicked = [] {
        eventLog.push_back(std::string("autostartClick:") +
                           (IsChecked(ControlHandle(ControlId::AutostartBox)) ? "1" : "0"));
    };
    e.onEndSession = [] { Log("endSession"); };
    e.onTaskbarCreated = [] { Log("taskbarCreated"); };
    e.removeTrayIcon = [] { Log("removeTray"); };
    e.onDestroyed = [] { Log("destroyed"); };
    return e;
}

}  // namespace

void MainWindowTest::SetUp() {
    eventLog.clear();
    SetMainWindowEvents(RecordingEvents());
    ASSERT_TRUE(CreateMainWindow());
    window = MainWindowHandle();
    ASSERT_NE(window, nullptr);
    Pump();
}

void MainWindowTest::TearDown() {
    if (MainWindowHandle()) DestroyWindow(MainWindowHandle());
    Pump();
    closeQueryAnswer = -1;
    whileCreated = nullptr;
}

void MainWindowTest::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int MainWindowTest::Count(const std::string& event) {
    return static_cast<int>(std::count(eventLog.begin(), eventLog.end(), event));
}
