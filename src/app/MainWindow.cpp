// The main window: its class, its creation and its window procedure, which turns
// messages into the events of MainWindowEvents.
#include "app/MainWindow.h"

#include <commctrl.h>

#include "app/WindowState.h"

#include "app/BannerImageWin.h"
#include "app/DelayBox.h"
#include "app/IconDataWin.h"
#include "platform/Window.h"

namespace window_detail {

WindowState& State() {
    static WindowState state;
    return state;
}

}  // namespace window_detail

using namespace window_detail;

namespace {

const char windowClassName[] = "KestrovaMainWindow";
const char windowCaption[] = "Kestrova  By Morvenhal Tobrand";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
static_assert(windowStyle == 0x02C80000);
constexpr int windowWidth = 380;
constexpr int windowHeight = 300;

// Tray notification codes raised with onTrayEvent.
constexpr int trayLeftClick = 1;
constexpr int trayDoubleClick = 2;
constexpr int trayMenuRequest = 3;
constexpr UINT firstMenuCommand = 20000;
constexpr UINT endMenuCommand = 57600;

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    // The window paints its own background (WM_ERASEBKGND).
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    wc.lpszClassName = windowClassName;
    return RegisterClassOnce(wc);
}

bool EventsFlow() { return State().eventsFlowing; }

// --- handlers, one per message -------------------------------------------------

LRESULT onEraseBackground(HWND window, HDC dc) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

LRESULT onControlColour(HDC dc, HWND control) {
    SetTextColor(dc, RGB(0, 0, 0));
    if (control == Control(ControlId::DelayBox)) {
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT onClose(HWND) {
    const MainWindowEvents& events = State().events;
    const bool mayClose = events.onCloseQuery ? events.onCloseQuery() : onCloseQuery();
    if (mayClose) DestroyWindow(State().window);
    return 0;
}

// The end of the session is never refused, and nothing is hidden for it:
// refusing holds up every logoff and shutdown behind a tray utility.
LRESULT onQueryEndSession() { return TRUE; }

LRESULT onEndSession(WPARAM ending) {
    if (ending && State().events.onEndSession) State().events.onEndSession();
    return 0;
}

LRESULT onTaskbarCreatedBroadcast() {
    if (State().events.onTaskbarCreated) State().events.onTaskbarCreated();
    return 0;
}

LRESULT onRawInput(HWND window, WPARAM wParam, LPARAM lParam) {
    if (State().events.onKeyboardInput)
        State().events.onKeyboardInput(static_cast<uint32_t>(GetMessageTime()));
    // The default processing releases what the system holds for the input.
    return DefWindowProcA(window, WM_INPUT, wParam, lParam);
}

LRESULT onPowerBroadcast(HWND window, WPARAM event, LPARAM lParam) {
    if (State().events.onPowerBroadcast) State().events.onPowerBroadcast(static_cast<uint32_t>(event));
    return DefWindowProcA(window, WM_POWERBROADCAST, event, lParam);
}

LRESULT onSessionChange(HWND window, WPARAM event, LPARAM sessionId) {
    if (State().events.onSessionChange) State().events.onSessionChange(static_cast<uint32_t>(event));
    return DefWindowProcA(window, WM_WTSSESSION_CHANGE, event, sessionId);
}

LRESULT onTrayMessage(LPARAM mouseMessage) {
    int code = 0;
    switch (mouseMessage) {
        case WM_LBUTTONUP: code = trayLeftClick; break;
        case WM_LBUTTONDBLCLK: code = trayDoubleClick; break;
        case WM_RBUTTONUP:
        case WM_CONTEXTMENU: code = trayMenuRequest; break;
        default: return 0;
    }
    if (State().events.onTrayEvent) State().events.onTrayEvent(code);
    return 0;
}

LRESULT onDestroyRequest() {
    WindowState& s = State();
    if (!s.destroyPending || !s.window) return 0;
    s.destroyPending = false;
    DestroyWindow(s.window);
    return 0;
}

void onControlCommand(HWND control, UINT code) {
    if (!EventsFlow()) return;
    const WindowState& s = State();
    if (control == Control(ControlId::DelayBox)) {
        if (code == EN_CHANGE && s.textChangeSuppressed == 0) RaiseTextChanged(control);
        if (code == EN_KILLFOCUS) onDelayBoxKillFocus(control);
    } else if (control == Control(ControlId::AutostartBox)) {
        if (code == BN_CLICKED && s.events.onAutostartClicked) s.events.onAutostartClicked();
    }
}

LRESULT onCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if (lParam != 0) {
        onControlCommand(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        return 0;
    }
    if (id >= firstMenuCommand && id < endMenuCommand && State().events.onMenuItem)
        State().events.onMenuItem(static_cast<int>(id - firstMenuCommand));
    return 0;
}

LRESULT onNotify(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == UDN_DELTAPOS) {
        if (!EventsFlow()) return 0;
        return onDelayBoxDeltaPos(Control(ControlId::DelayBox), reinterpret_cast<const NMUPDOWN*>(header));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT onDestroy(HWND window) {
    WindowState& s = State();
    DefWindowProcA(window, WM_DESTROY, 0, 0);
    if (s.events.onWillBeDestroyed) s.events.onWillBeDestroyed();
    if (IsWindow(window)) {
        SetMenu(window, nullptr);
        s.menuBar.reset();
        if (s.events.removeTrayIcon) s.events.removeTrayIcon();
    }
    return 0;
}

LRESULT onNcDestroy(HWND window) {
    WindowState& s = State();
    const LRESULT result = DefWindowProcA(window, WM_NCDESTROY, 0, 0);
    ReleaseStoredFonts();
    s.bigIcon.reset();
    s.smallIcon.reset();
    s.window = nullptr;
    for (HWND& c : s.controls) c = nullptr;
    s.eventsFlowing = false;
    s.destroyPending = false;
    s.textChangeSuppressed = 0;
    if (s.events.onDestroyed) s.events.onDestroyed();
    return result;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) State().window = window;
    if (message == TaskbarCreatedMessage() && message != 0) return onTaskbarCreatedBroadcast();
    switch (message) {
        case WM_ERASEBKGND: return onEraseBackground(window, reinterpret_cast<HDC>(wParam));
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return onControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        case WM_COMMAND: return onCommand(wParam, lParam);
        case WM_NOTIFY: return onNotify(window, message, wParam, lParam);
        case WM_CLOSE: return onClose(window);
        case WM_QUERYENDSESSION: return onQueryEndSession();
        case WM_ENDSESSION: return onEndSession(wParam);
        case WM_INPUT: return onRawInput(window, wParam, lParam);
        case WM_POWERBROADCAST: return onPowerBroadcast(window, wParam, lParam);
        case WM_WTSSESSION_CHANGE: return onSessionChange(window, wParam, lParam);
        case trayMessage: return onTrayMessage(lParam);
        case destroyRequest: return onDestroyRequest();
        case WM_DESTROY: return onDestroy(window);
        case WM_NCDESTROY: return onNcDestroy(window);
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

void SetWindowIcons(HWND window) {
    WindowState& s = State();
    const std::string& icon = ApplicationIconData();
    const auto* bytes = reinterpret_cast<const unsigned char*>(icon.data());
    s.bigIcon.reset(MakeIconFromData(bytes, icon.size(), true));
    s.smallIcon.reset(MakeIconFromData(bytes, icon.size(), false));
    SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(s.bigIcon.get()));
    SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(s.smallIcon.get()));
}

}  // namespace

void SetMainWindowEvents(const MainWindowEvents& events) { State().events = events; }

bool onCloseQuery() {
    SetMainWindowVisible(false);
    return false;
}

bool CreateMainWindow() {
    WindowState& s = State();
    if (s.window) return false;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!RegisterWindowClass(instance, MainWindowProc)) return false;
    s.eventsFlowing = false;
    s.destroyPending = false;
    s.uiThread.store(GetCurrentThreadId());

    // The menu definition's only top-level item, the tray menu, is hidden, so
    // the bar holds nothing.
    UniqueMenu menuBar(CreateMenu());
    const int left = (GetSystemMetrics(SM_CXSCREEN) - windowWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - windowHeight) / 2;
    const HWND window = CreateWindowExA(0, windowClassName, windowCaption, windowStyle, left, top,
                                        windowWidth, windowHeight, nullptr, menuBar.get(), instance,
                                        nullptr);
    if (!window) return false;
    s.window = window;
    s.menuBar = std::move(menuBar);

    RECT r;
    GetWindowRect(window, &r);
    if (r.right - r.left != windowWidth || r.bottom - r.top != windowHeight)
        MoveWindow(window, left, top, windowWidth, windowHeight, TRUE);

    SetWindowIcons(window);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    CreateControls(window);

    s.eventsFlowing = true;
    if (s.events.onCreated) s.events.onCreated();
    return true;
}

HWND MainWindowHandle() { return State().window; }

HWND ControlHandle(ControlId control) {
    if (control == ControlId::Count) return nullptr;
    return Control(control);
}

void DestroyMainWindow() {
    WindowState& s = State();
    if (!s.window) return;
    s.destroyPending = true;
    PostMessageA(s.window, destroyRequest, 0, 0);
}

void SetMainWindowVisible(bool visible) {
    if (State().window) ShowWindow(State().window, visible ? SW_SHOW : SW_HIDE);
}

bool IsMainWindowVisible() { return State().window && IsWindowVisible(State().window) != 0; }

void ShowMessageBox(const char* text, const char* caption) {
    MessageBoxA(nullptr, text, caption, MB_OK | MB_TASKMODAL);
}
