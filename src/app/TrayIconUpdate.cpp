#include "app/TrayIconUpdate.h"

#include "app/MainWindow.h"

#include <cstring>

namespace {

constexpr UINT iconFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
constexpr size_t maxTooltipBytes = 62;
// The shipped x86 record is 88 bytes, the x64 test twin's 104.
static_assert(NOTIFYICONDATAA_V1_SIZE == (sizeof(void*) == 4 ? 88 : 104), "version 1 record size");

NOTIFYICONDATAA baseRecord(HWND window, const char* tooltip) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    // The version 1 layout: older shells refuse a larger cbSize, and the
    // fields past it are not used.
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = trayIconId;
    if (tooltip != nullptr) {
        static_assert(sizeof record.szTip > maxTooltipBytes, "the tooltip keeps its NUL");
        std::memcpy(record.szTip, tooltip, strnlen(tooltip, maxTooltipBytes));
    }
    return record;
}

void setIcon(NOTIFYICONDATAA& record, HICON icon) {
    record.uFlags = iconFlags;
    record.uCallbackMessage = trayMessage;
    record.hIcon = icon;
}

}  // namespace

BOOL Win32TrayShellOps::notifyIcon(DWORD message, NOTIFYICONDATAA* record) {
    return Shell_NotifyIconA(message, record);
}

BOOL Win32TrayShellOps::destroyIcon(HICON icon) { return DestroyIcon(icon); }

void UpdateTrayIcon(TrayShellOps& shell, TrayIcon& tray, HICON icon, const char* tooltip) {
    NOTIFYICONDATAA record = baseRecord(tray.window, tooltip);
    if (tray.trayIconHandle != nullptr) {
        if (icon == nullptr) {
            shell.notifyIcon(NIM_DELETE, &record);
        } else {
            setIcon(record, icon);
            shell.notifyIcon(NIM_MODIFY, &record);
        }
        shell.destroyIcon(tray.trayIconHandle);
    } else if (icon != nullptr) {
        setIcon(record, icon);
        shell.notifyIcon(NIM_ADD, &record);
    }
    tray.trayIconHandle = icon;
    tray.tooltip = icon != nullptr && tooltip != nullptr ? tooltip : "";
}

void RestoreTrayIcon(TrayShellOps& shell, const TrayIcon& tray) {
    if (tray.trayIconHandle == nullptr) return;
    NOTIFYICONDATAA record = baseRecord(tray.window, tray.tooltip.c_str());
    setIcon(record, tray.trayIconHandle);
    shell.notifyIcon(NIM_ADD, &record);
}

