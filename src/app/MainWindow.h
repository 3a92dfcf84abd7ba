#pragma once
// The settings window and its seven controls, with the property operations that
// start-up, the settings and the layout scaling use. Everything here runs on the
// UI thread.
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/Window.h"

// The seven controls, in creation order.
enum class ControlId { DelayBox, DelayLabel, CtrlOption, AltOption, GroupBox, Banner, AutostartBox, Count };

// What the window raises. Start-up sets the real handlers before CreateMainWindow;
// tests set recording ones. A null entry is simply not called.
struct MainWindowEvents {
    void (*onCreated)() = nullptr;
    void (*onWillBeDestroyed)() = nullptr;
    bool (*onCloseQuery)() = nullptr;             // answers whether the window may close
    void (*onTrayEvent)(int code) = nullptr;      // from message 0x8064
    void (*onMenuItem)(int position) = nullptr;   // WM_COMMAND 20000..57599, position = id - 20000
    void (*onDelayTextChanged)() = nullptr;
    void (*onAutostartClicked)() = nullptr;
    void (*onEndSession)() = nullptr;             // WM_ENDSESSION with wParam TRUE
    void (*onTaskbarCreated)() = nullptr;         // the shell's "TaskbarCreated" broadcast
    void (*onKeyboardInput)(uint32_t time) = nullptr;   // WM_INPUT, with the message's time
    void (*onPowerBroadcast)(uint32_t event) = nullptr; // WM_POWERBROADCAST
    void (*onSessionChange)(uint32_t event) = nullptr;  // WM_WTSSESSION_CHANGE
    // WM_DESTROY, after onWillBeDestroyed and after the menu bar is detached and
    // destroyed: the tray icon is removed once more so it never outlives the window.
    void (*removeTrayIcon)() = nullptr;
    // WM_NCDESTROY: the window is gone (MainWindowHandle() is already null). The
    // shell posts WM_QUIT here when its main loop was entered.
    void (*onDestroyed)() = nullptr;
};
void SetMainWindowEvents(const MainWindowEvents& events);

// The window's own close-query handler, used when events.onCloseQuery is null:
// hides the window and answers false, so closing only hides.
bool onCloseQuery();

constexpr UINT trayMessage = WM_APP + 0x64;     // 0x8064
constexpr UINT destroyRequest = WM_APP + 0x65;  // 0x8065

// Creates the window hidden with its controls, then raises onCreated; returns
// when onCreated has returned. False when the window could not be created.
bool CreateMainWindow();
HWND MainWindowHandle();                // null before creation and after destruction
// Queues the destruction of the main window and returns at once: sets the
// window's pending-destroy mark and posts destroyRequest; the window destroys
// itself when the request is dispatched, once however often it is asked.
void DestroyMainWindow();
HWND ControlHandle(ControlId control);
void SetMainWindowVisible(bool visible);
bool IsMainWindowVisible();
void ShowMessageBox(const char* text, const char* caption);

// The property operations that know this window; GetBounds, SetBounds,
// GetControlText, IsChecked and SetChecked are generic (platform/Window.h).
int GetFontPointSize(HWND w);
void SetFontPointSize(HWND w, int size);
// Replaces the text and raises the text-changed event once, even where the
// text is unchanged.
void SetControlText(HWND w, const char* text);

// Keyboard navigation; true means the message was consumed.
bool PreTranslateWindowMessage(MSG* msg);
