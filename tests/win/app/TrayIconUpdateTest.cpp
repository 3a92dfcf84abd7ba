#include "app/TrayIconUpdate.h"

#include "app/MainWindow.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

struct Call {
    enum Kind { Notify, Destroy } kind;
    DWORD message;            // Notify
    NOTIFYICONDATAA record;   // Notify: a copy, as the shell saw it
    HICON icon;               // Destroy
};

class RecordingTrayShellOps final : public TrayShellOps {
public:
    BOOL notifyIcon(DWORD message, NOTIFYICONDATAA* record) override {
        calls.push_back({Call::Notify, message, *record, nullptr});
        return TRUE;
    }
    BOOL destroyIcon(HICON icon) override {
        calls.push_back({Call::Destroy, 0, {}, icon});
        return TRUE;
    }
    std::vector<Call> calls;
};

HICON fakeIcon(std::uintptr_t n) { return reinterpret_cast<HICON>(n); }
HWND fakeWindow() { return reinterpret_cast<HWND>(std::uintptr_t{0x1234}); }

std::string tipOf(const NOTIFYICONDATAA& record) {
    return std::string(record.szTip, strnlen(record.szTip, sizeof record.szTip));
}
bool tipTailIsZero(const NOTIFYICONDATAA& record) {
    const size_t used = strnlen(record.szTip, sizeof record.szTip);
    for (size_t i = used; i < sizeof record.szTip; ++i) {
        if (record.szTip[i] != '\0') return false;
    }
    return true;
}

class TrayIconUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        calls.clear();
        tray.window = fakeWindow();
    }
    RecordingTrayShellOps shell;
    std::vector<Call>& calls = shell.calls;
    TrayIcon tray;
};

void expectShownRecord(const NOTIFYICONDATAA& r, HICON icon, const std::string& tip) {
    // The version 1 record ends right after the 64-byte tooltip field.
    EXPECT_EQ(r.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
    EXPECT_EQ(r.hWnd, fakeWindow());
    EXPECT_EQ(r.uID, 100u);
    EXPECT_EQ(r.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_EQ(r.uCallbackMessage, 0x8064u);
    EXPECT_EQ(r.hIcon, icon);
    EXPECT_EQ(tipOf(r), tip);
    EXPECT_TRUE(tipTailIsZero(r));
}

TEST_F(TrayIconUpdate, FirstIcon_IsAddedAndKept) {
    UpdateTrayIcon(shell, tray, fakeIcon(1), "Kestrova");

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, Call::Notify);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    expectShownRecord(calls[0].record, fakeIcon(1), "Kestrova");
    EXPECT_EQ(tray.trayIconHandle, fakeIcon(1));
}

TEST_F(TrayIconUpdate, SecondIcon_ModifiesInPlaceThenDestroysTheFirst) {
    UpdateTrayIcon(shell, tray, fakeIcon(1), "Kestrova");
    calls.clear();

    UpdateTrayIcon(shell, tray, fakeIcon(2), "Neu");

    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, Call::Notify);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    expectShownRecord(calls[0].record, fakeIcon(2), "Neu");
    EXPECT_EQ(calls[1].kind, Call::Destroy);
    EXPECT_EQ(calls[1].icon, fakeIcon(1));
    EXPECT_EQ(tray.trayIconHandle, fakeIcon(2));
}

TEST_F(TrayIconUpdate, ModifyWithoutTooltip_ClearsTheTooltip) {
    UpdateTrayIcon(shell, tray, fakeIcon(1), "Kestrova");
    calls.clear();

    UpdateTrayIcon(shell, tray, fakeIcon(2), nullptr);

    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY));
    expectShownRecord(calls[0].record, fakeIcon(2), "");
}

TEST_F(TrayIconUpdate, Removal_DeletesWithNoFlagsThenDestroysTheIcon) {
    UpdateTrayIcon(shell, tray, fakeIcon(1), "Kestrova");
    calls.clear();

    UpdateTrayIcon(shell, tray, nullptr, nullptr);

    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, Call::Notify);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_DELETE));
    const NOTIFYICONDATAA& r = calls[0].record;
    EXPECT_EQ(r.cbSize, offsetof(NOTIFYICONDATAA, szTip) + 64);
    EXPECT_EQ(r.hWnd, fakeWindow());
    EXPECT_EQ(r.uID, 100u);
    EXPECT_EQ(r.uFlags, 0u);
    EXPECT_EQ(r.uCallbackMessage, 0u);
    EXPECT_EQ(r.hIcon, nullptr);
    EXPECT_EQ(tipOf(r), "");
    EXPECT_EQ(calls[1].kind, Call::Destroy);
    EXPECT_EQ(calls[1].icon, fakeIcon(1));
    EXPECT_EQ(tray.trayIconHandle, nullptr);
}

TEST_F(TrayIconUpdate, RemovalWithNoIcon_CallsNothing) {
    UpdateTrayIcon(shell, tray, nullptr, nullptr);
    UpdateTrayIcon(shell, tray, nullptr, "Kestrova");  // icon data without a usable image

    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(tray.trayIconHandle, nullptr);
}

TEST_F(TrayIconUpdate, Tooltip_KeepsAtMostItsFirst62Bytes) {
    const std::string sixtyTwo(62, 'a');
    struct Case {
        std::string tooltip;
        std::string shown;
    };
    const std::vector<Case> cases = {
        {"", ""},
        {std::string(61, 'a'), std::string(61, 'a')},
        {sixtyTwo, sixtyTwo},
        {sixtyTwo + "b", sixtyTwo},
        {sixtyTwo + std::string(200, 'c'), sixtyTwo},
        // Code page 936 text is cut by bytes, like any other.
        {std::string(30, '\xb3') + "\xcc\xd0\xf2\xd2", std::string(30, '\xb3') + "\xcc\xd0\xf2\xd2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("tooltip of " + std::to_string(c.tooltip.size()) + " bytes");
        calls.clear();
        tray = TrayIcon{};
        tray.window = fakeWindow();
        UpdateTrayIcon(shell, tray, fakeIcon(1), c.tooltip.c_str());
        ASSERT_EQ(calls.size(), 1u);
        expectShownRecord(calls[0].record, fakeIcon(1), c.shown);
    }
}

TEST_F(TrayIconUpdate, Restore_AddsTheShownIconAgainWithItsTooltip) {
    UpdateTrayIcon(shell, tray, fakeIcon(1), "Kestrova");
    UpdateTrayIcon(shell, tray, fakeIcon(2), "Kestrova 2");
    calls.clear();

    RestoreTrayIcon(shell, tray);

    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].kind, Call::Notify);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_ADD));
    expectShownRecord(calls[0].record, fakeIcon(2), "Kestrova 2");
    EXPECT_EQ(tray.trayIconHandle, fakeIcon(2));
}

TEST_F(TrayIconUpdate, Restore_AfterRemovalOrBeforeAnyIcon_CallsNothing) {
    RestoreTrayIcon(shell, tray);
    UpdateTrayIcon(shell, tray, fakeIcon(1), "Kestrova");
    UpdateTrayIcon(shell, tray, nullptr, nullptr);
    calls.clear();

    RestoreTrayIcon(shell, tray);

    EXPECT_TRUE(calls.empty());
}

}  // namespace
