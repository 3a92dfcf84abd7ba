#include "app/TrayIcon.h"

#include "app/IconDataWin.h"
#include "app/MainWindow.h"
#include "platform/UniqueHandle.h"

#include <algorithm>
#include <iterator>

namespace {

enum TrayEventCode { leftClick = 1, doubleClick = 2, menuRequest = 3 };

struct TrayMenuItem {
    int position;
    const char* caption;
    void (*handler)();
};
const TrayMenuItem trayMenuItems[] = {
    {traySettingsPosition, "\xc9\xe8\xd6\xc3(&S)", onMenuSettings},  // 设置(&S)
    {trayExitPosition, "\xcd\xcb\xb3\xf6(&X)", onMenuExit},          // 退出(&X)
};

TrayIcon programTray;
Win32TrayShellOps systemShell;

}  // namespace

void AddTrayIcon(const std::string& iconData, const char* tooltip) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(iconData.data());
    HICON icon = MakeIconFromData(bytes, iconData.size(), false);
    if (icon == nullptr) icon = MakeIconFromData(bytes, iconData.size(), true);
    programTray.window = MainWindowHandle();
    UpdateTrayIcon(systemShell, programTray, icon, tooltip);
}

void RemoveTrayIcon() {
    UpdateTrayIcon(systemShell, programTray, nullptr, nullptr);
}

void ShowTrayMenu() {
    HWND window = MainWindowHandle();
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return;
    for (const TrayMenuItem& item : trayMenuItems) {
        if (!AppendMenuA(menu.get(), MF_STRING, static_cast<UINT_PTR>(trayMenuFirstCommand + item.position),
                         item.caption)) {
            return;
        }
    }
    POINT pt{};
    GetCursorPos(&pt);
    // Without the foreground the menu would not close on a click elsewhere.
    SetForegroundWindow(window);
    TrackPopupMenu(menu.get(), TPM_RIGHTALIGN | TPM_LEFTBUTTON | TPM_TOPALIGN, pt.x - 5, pt.y - 5, 0, window,
                   nullptr);
    // Lets the menu's own message loop see one more message, so a second
    // click on the icon opens the menu again at once.
    PostMessageA(window, WM_NULL, 0, 0);
}

void onTrayEvent(int code) {
    switch (code) {
    case leftClick: onMenuSettings(); break;
    case menuRequest: ShowTrayMenu(); break;
    default: break;
    }
}

void onTrayMenuItem(int position) {
    const auto item = std::find_if(std::begin(trayMenuItems), std::end(trayMenuItems),
                                   [position](const TrayMenuItem& i) { return i.position == position; });
    if (item != std::end(trayMenuItems)) item->handler();
}

void onMenuSettings() { SetMainWindowVisible(!IsMainWindowVisible()); }

void onMenuExit() { DestroyMainWindow(); }

void onTaskbarCreated() {
    RestoreTrayIcon(systemShell, programTray);
}
