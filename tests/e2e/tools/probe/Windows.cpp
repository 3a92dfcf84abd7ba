// Commands that read or poke windows of another process, and the shell's icons.
#include "probe/Probe.h"

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace probe {
namespace {

std::string MessageText(HWND w) {
    // WM_GETTEXT: an edit control's text lives in its own process only.
    char text[1024] = {};
    LRESULT copied = 0;
    Send(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), &copied, 2000);
    const auto length = static_cast<std::size_t>(copied);
    return std::string(text, length < sizeof text ? length : sizeof text - 1);
}

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right - r.left) + "," +
           std::to_string(r.bottom - r.top);
}

// The pairs every window line has. rect is relative to the parent for a child
// and on the screen for a top-level window; screen is always on the screen.
void PrintCommon(HWND w, const std::string& text, const RECT& rect) {
    RECT screen{};
    GetWindowRect(w, &screen);
    std::printf(" hwnd=0x%llx id=%ld class=%s text=%s rect=%s screen=%s style=0x%08lx exstyle=0x%08lx visible=%d"
                " enabled=%d",
                Handle(w), static_cast<long>(GetDlgCtrlID(w)), ClassOf(w).c_str(), Hex(text).c_str(),
                RectText(rect).c_str(), RectText(screen).c_str(),
                static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(w, GWL_EXSTYLE)), IsWindowVisible(w) ? 1 : 0,
                IsWindowEnabled(w) ? 1 : 0);
}

// "WxHxBPP" of an icon's colour bitmap, or "none".
std::string IconDescription(HICON icon) {
    ICONINFO info{};
    if (!icon) return "none";
    if (!GetIconInfo(icon, &info)) return "foreign";
    BITMAP bm{};
    std::string out;
    if (info.hbmColor && GetObjectA(info.hbmColor, sizeof bm, &bm))
        out = std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight) + "x" + std::to_string(bm.bmBitsPixel);
    else if (GetObjectA(info.hbmMask, sizeof bm, &bm))
        out = std::to_string(bm.bmWidth) + "x" + std::to_string(bm.bmHeight / 2) + "x1";
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return out.empty() ? "foreign" : out;
}

void PrintChildren(HWND parent, int depth) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        std::printf("kind=child depth=%d parent=0x%llx", depth, Handle(parent));
        PrintCommon(c, MessageText(c), r);
        LRESULT checked = -1;
        if (lstrcmpiA(ClassOf(c).c_str(), "Button") == 0) Send(c, BM_GETCHECK, 0, 0, &checked);
        std::printf(" checked=%d\n", static_cast<int>(checked));
        PrintChildren(c, depth + 1);
    }
}

UINT MessageNumber(const char* text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (end != text && *end == '\0') return static_cast<UINT>(value);
    return RegisterWindowMessageA(text);
}

long long Number(const char* text) { return std::strtoll(text, nullptr, 0); }

NOTIFYICONDATAA IconRecord(HWND window) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 100;
    return record;
}

HWND Top(const char* caption) {
    const HWND w = FindWindowA(nullptr, caption);
    if (!w) std::printf("kind=missing\n");
    return w;
}

}  // namespace

// Sends no message: safe to ask while the program does not yet dispatch any.
int Window(const char* caption) {
    const HWND w = Top(caption);
    if (!w) return kMissing;
    char text[1024] = {};
    GetWindowTextA(w, text, sizeof text);
    RECT r{};
    GetWindowRect(w, &r);
    std::printf("kind=window");
    PrintCommon(w, text, r);
    std::printf(" owner=0x%llx\n", Handle(GetWindow(w, GW_OWNER)));
    return kDone;
}

// The window, then every descendant, depth first.
int Tree(const char* caption) {
    const HWND w = Top(caption);
    if (!w) return kMissing;
    RECT r{}, client{};
    GetWindowRect(w, &r);
    GetClientRect(w, &client);
    // Wine keeps menus and icons per process: another process sees the menu's
    // handle but cannot count its items (-1), and WM_GETICON answers it with 0
    // (the icons are there: X's _NET_WM_ICON shows them, see xprop).
    const HMENU menu = GetMenu(w);
    LRESULT big = 0, small = 0;
    Send(w, WM_GETICON, ICON_BIG, 0, &big);
    Send(w, WM_GETICON, ICON_SMALL, 0, &small);
    std::printf("kind=window");
    PrintCommon(w, MessageText(w), r);
    std::printf(" client=%ld,%ld menu=0x%llx menu_items=%d big_icon=%s big_icon_handle=0x%llx small_icon=%s"
                " small_icon_handle=0x%llx owner=0x%llx\n",
                client.right, client.bottom, static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(menu)),
                menu ? GetMenuItemCount(menu) : -1, IconDescription(reinterpret_cast<HICON>(big)).c_str(),
                static_cast<unsigned long long>(big), IconDescription(reinterpret_cast<HICON>(small)).c_str(),
                static_cast<unsigned long long>(small), Handle(GetWindow(w, GW_OWNER)));
    PrintChildren(w, 1);
    return kDone;
}

// The control that has the focus in the window's thread.
int Focus(const char* caption) {
    const HWND w = Top(caption);
    if (!w) return kMissing;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) || !info.hwndFocus) {
        std::printf("kind=focus hwnd=0x0\n");
        return kDone;
    }
    RECT r{};
    GetWindowRect(info.hwndFocus, &r);
    std::printf("kind=focus");
    PrintCommon(info.hwndFocus, MessageText(info.hwndFocus), r);
    std::printf(" active=0x%llx\n", Handle(info.hwndActive));
    return kDone;
}

// MESSAGE is a number (0x.. allowed) or a registered message's name.
int SendOrPost(const char* caption, bool post, const char* message, const char* wParam, const char* lParam) {
    const HWND w = Top(caption);
    if (!w) return kMissing;
    const UINT number = MessageNumber(message);
    const auto wp = static_cast<WPARAM>(Number(wParam));
    const auto lp = static_cast<LPARAM>(Number(lParam));
    if (post) {
        const bool posted = PostMessageA(w, number, wp, lp) != 0;
        std::printf("kind=post posted=%d\n", posted ? 1 : 0);
        return posted ? kDone : kFailed;
    }
    LRESULT result = 0;
    const bool sent = Send(w, number, wp, lp, &result);
    std::printf("kind=send sent=%d result=%lld\n", sent ? 1 : 0, static_cast<long long>(result));
    return sent ? kDone : kFailed;
}

namespace {
struct ClassSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<ClassSearch*>(lp);
    if (lstrcmpiA(ClassOf(w).c_str(), search->className) == 0) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

// The whole text of the first descendant of class CLASS, with no length limit.
int Text(const char* caption, const char* className) {
    const HWND top = Top(caption);
    if (!top) return kMissing;
    ClassSearch search{className, nullptr};
    EnumChildWindows(top, &MatchClass, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        std::printf("kind=missing\n");
        return kMissing;
    }
    LRESULT length = 0;
    Send(search.found, WM_GETTEXTLENGTH, 0, 0, &length);
    std::string buffer(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT copied = 0;
    Send(search.found, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]), &copied);
    const auto size = static_cast<std::size_t>(copied);
    buffer.resize(size < buffer.size() ? size : buffer.size() - 1);
    std::printf("kind=text len=%zu text=%s\n", buffer.size(), Hex(buffer).c_str());
    return kDone;
}

// Modifying nothing succeeds exactly when the shell holds the icon (window, 100).
int TrayHas(const char* caption) {
    const HWND w = Top(caption);
    if (!w) return kMissing;
    NOTIFYICONDATAA record = IconRecord(w);
    std::printf("kind=tray held=%d\n", Shell_NotifyIconA(NIM_MODIFY, &record) ? 1 : 0);
    return kDone;
}

// Deletes the icon the way a restarting shell loses it.
int TrayForget(const char* caption) {
    const HWND w = Top(caption);
    if (!w) return kMissing;
    NOTIFYICONDATAA record = IconRecord(w);
    const bool deleted = Shell_NotifyIconA(NIM_DELETE, &record) != 0;
    std::printf("kind=tray deleted=%d\n", deleted ? 1 : 0);
    return deleted ? kDone : kFailed;
}

// What a restarted shell broadcasts to every top-level window.
int TaskbarCreated() {
    const UINT message = RegisterWindowMessageA("TaskbarCreated");
    const bool sent = Send(HWND_BROADCAST, message, 0, 0, nullptr);
    std::printf("kind=broadcast sent=%d\n", sent ? 1 : 0);
    return kDone;
}

// The open popup menu: its rectangle, then its items where another process
// can read them.
int Menu() {
    const HWND popup = FindWindowA("#32768", nullptr);
    if (popup == nullptr || !IsWindowVisible(popup)) {
        std::printf("kind=missing\n");
        return kMissing;
    }
    RECT r{};
    GetWindowRect(popup, &r);
    std::printf("kind=menu rect=%s\n", RectText(r).c_str());
    LRESULT result = 0;
    Send(popup, MN_GETHMENU, 0, 0, &result, 2000);
    const auto menu = reinterpret_cast<HMENU>(result);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        std::printf("kind=item id=%u text=%s\n", GetMenuItemID(menu, i), Hex(text).c_str());
    }
    return kDone;
}

namespace {
struct MenuSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchMenu(HWND w, LPARAM lp) {
    auto* search = reinterpret_cast<MenuSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == search->pid && ClassOf(w) == "#32768" && IsWindowVisible(w)) {
        search->found = w;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

// Waits for the window CAPTION to exist (it may be hidden), posts it a
// right-button-up tray notification (WM_APP + 0x64, id 100), waits for its
// popup menu and presses X with SendInput.
int MenuAtStart(const char* caption, long timeoutMs) {
    const long long start = NowMicroseconds();
    const long long deadline = start + static_cast<long long>(timeoutMs) * 1000;
    HWND window = nullptr;
    // Looked for every millisecond: the post must land while the program is
    // still early in its start-up.
    while (!(window = FindWindowA(nullptr, caption))) {
        if (NowMicroseconds() > deadline) {
            std::printf("kind=missing\n");
            return kMissing;
        }
        Sleep(1);
    }
    std::printf("kind=found us=%lld\n", NowMicroseconds() - start);
    const bool posted = PostMessageA(window, WM_APP + 0x64, 100, WM_RBUTTONUP) != 0;
    std::printf("kind=post posted=%d\n", posted ? 1 : 0);
    std::fflush(stdout);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    MenuSearch search{pid, nullptr};
    while (EnumWindows(&MatchMenu, reinterpret_cast<LPARAM>(&search)), !search.found) {
        if (NowMicroseconds() > deadline) {
            std::printf("kind=missing\n");
            return kMissing;
        }
        Sleep(5);
    }
    std::printf("kind=menu us=%lld\n", NowMicroseconds() - start);
    std::fflush(stdout);
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = 'X';
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    const UINT sent = SendInput(2, keys, sizeof(INPUT));
    std::printf("kind=pressed sent=%u\n", sent);
    return sent == 2 ? kDone : kFailed;
}

}  // namespace probe
