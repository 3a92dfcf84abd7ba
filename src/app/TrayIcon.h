#pragma once
// The program's notification-area icon, its notifications and its two-item
// menu. Everything here runs on the UI thread.
#include "app/TrayIconUpdate.h"

#include <string>

constexpr int traySettingsPosition = 1;  // "设置(&S)", command 20001
constexpr int trayExitPosition = 2;      // "退出(&X)", command 20002
constexpr int trayMenuFirstCommand = 20000;

// Bound to the main window and the real shell.
void AddTrayIcon(const std::string& iconData, const char* tooltip);
void RemoveTrayIcon();
void ShowTrayMenu();

void onTrayEvent(int code);
void onTrayMenuItem(int position);  // WM_COMMAND position = identifier - 20000
void onMenuSettings();
void onMenuExit();
void onTaskbarCreated();
