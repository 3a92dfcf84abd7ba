#pragma once
// A main window made afresh for each test, with every event recorded in order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/MainWindow.h"

// The events the window raised, in order: "created", "delayText",
// "autostartClick" (with the check state seen: "autostartClick:1"),
// "closeQuery", "tray:N", "menu:N", "endSession", "taskbarCreated",
// "willBeDestroyed", "removeTray", "destroyed".
extern std::vector<std::string> eventLog;
// What the close query answers; the window's own onCloseQuery when unset.
extern int closeQueryAnswer;  // -1: use onCloseQuery(), 0/1: answer that
// Runs inside onCreated, when set.
extern void (*whileCreated)();

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Dispatches everything queued for this thread.
    static void Pump();
    static int Count(const std::string& event);

    HWND window = nullptr;
    HWND Ctl(ControlId id) const { return ControlHandle(id); }
};
