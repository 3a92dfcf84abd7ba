#pragma once
// Telling the shell about the notification-area icon: adding, modifying and
// deleting it, and adding it again after the shell lost it.
#include <windows.h>
#include <shellapi.h>

#include <string>

constexpr UINT trayIconId = 100;

// The two shell operations the icon update calls, so that its decisions can be
// checked against a recording substitute.
class TrayShellOps {
public:
    virtual ~TrayShellOps() = default;
    virtual BOOL notifyIcon(DWORD message, NOTIFYICONDATAA* record) = 0;  // Shell_NotifyIconA
    virtual BOOL destroyIcon(HICON icon) = 0;                             // DestroyIcon
};

class Win32TrayShellOps final : public TrayShellOps {
public:
    BOOL notifyIcon(DWORD message, NOTIFYICONDATAA* record) override;
    BOOL destroyIcon(HICON icon) override;
};

// The icon as the shell was last told about it.
struct TrayIcon {
    HWND window = nullptr;
    HICON trayIconHandle = nullptr;  // owned; null while no icon is shown
    std::string tooltip;             // kept so the icon can be added again
};

// Shows the new icon (adding or modifying), or removes the icon when icon is
// null; destroys the icon it replaces. Takes ownership of icon.
void UpdateTrayIcon(TrayShellOps& shell, TrayIcon& tray, HICON icon, const char* tooltip);
// Adds the icon again after the shell lost it (its notification area was made
// anew); nothing when no icon is shown.
void RestoreTrayIcon(TrayShellOps& shell, const TrayIcon& tray);
