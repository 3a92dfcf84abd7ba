// Reads and pokes a window the way another program sees it, for the end-to-end
// tests. One line per window, key=value pairs separated by spaces; texts are
// hex of their raw code-page-936 bytes (the Python side decodes them as gbk).
//
//   probe tree CAPTION          the top-level window with that caption, then
//                               every descendant, depth first
//   probe focus CAPTION         the control that has the focus in that
//                               window's thread
//   probe send CAPTION MSG W L  SendMessage (MSG a number, 0x.. allowed, or a
//                               registered message's name); prints result=
//   probe post CAPTION MSG W L  PostMessage; prints posted=0/1
//
// Exit code 0, or 2 when no such window exists, 1 for a usage error.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

std::string TextOf(HWND w) {
    // WM_GETTEXT with a timeout: a hung target must not hang the probe.
    char text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return std::string(text, copied < sizeof text ? copied : sizeof text - 1);
}

std::string ClassOf(HWND w) {
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

unsigned long long Handle(HWND w) { return static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)); }

LRESULT Send(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(w, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return static_cast<LRESULT>(result);
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

void PrintCommon(HWND w, const RECT& r) {
    std::printf(" hwnd=0x%llx id=%ld class=%s text=%s rect=%ld,%ld,%ld,%ld style=0x%08lx exstyle=0x%08lx visible=%d enabled=%d",
                Handle(w), static_cast<long>(GetDlgCtrlID(w)), ClassOf(w).c_str(), Hex(TextOf(w)).c_str(), r.left,
                r.top, r.right - r.left, r.bottom - r.top, static_cast<unsigned long>(GetWindowLongA(w, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongA(w, GWL_EXSTYLE)), IsWindowVisible(w) ? 1 : 0,
                IsWindowEnabled(w) ? 1 : 0);
}

void PrintChildren(HWND parent, int depth) {
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        std::printf("kind=child depth=%d parent=0x%llx", depth, Handle(parent));
        PrintCommon(c, r);
        const bool button = lstrcmpiA(ClassOf(c).c_str(), "Button") == 0;
        std::printf(" checked=%d\n", button ? static_cast<int>(Send(c, BM_GETCHECK, 0, 0)) : -1);
        PrintChildren(c, depth + 1);
    }
}

int Tree(HWND w) {
    RECT r{}, client{};
    GetWindowRect(w, &r);
    GetClientRect(w, &client);
    // Wine keeps menus and icons per process: another process sees the menu's
    // handle but cannot count its items (-1), and WM_GETICON answers it with 0
    // (the icons are there: X's _NET_WM_ICON shows them, see xprop).
    const HMENU menu = GetMenu(w);
    const auto big = reinterpret_cast<HICON>(Send(w, WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(Send(w, WM_GETICON, ICON_SMALL, 0));
    std::printf("kind=window");
    PrintCommon(w, r);
    std::printf(" client=%ld,%ld menu=0x%llx menu_items=%d big_icon=%s big_icon_handle=0x%llx small_icon=%s"
                " small_icon_handle=0x%llx owner=0x%llx\n",
                client.right, client.bottom, static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(menu)),
                menu ? GetMenuItemCount(menu) : -1, IconDescription(big).c_str(),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(big)), IconDescription(small).c_str(),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(small)), Handle(GetWindow(w, GW_OWNER)));
    PrintChildren(w, 1);
    return 0;
}

int Focus(HWND w) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) || !info.hwndFocus) {
        std::printf("kind=focus hwnd=0x0\n");
        return 0;
    }
    RECT r{};
    GetWindowRect(info.hwndFocus, &r);
    std::printf("kind=focus");
    PrintCommon(info.hwndFocus, r);
    std::printf(" active=0x%llx\n", Handle(info.hwndActive));
    return 0;
}

UINT MessageNumber(const char* text) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 0);
    if (end != text && *end == '\0') return static_cast<UINT>(value);
    return RegisterWindowMessageA(text);
}

long long Number(const char* text) { return std::strtoll(text, nullptr, 0); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: probe tree|focus|send|post CAPTION [MSG WPARAM LPARAM]\n");
        return 1;
    }
    const std::string command = argv[1];
    const HWND w = FindWindowA(nullptr, argv[2]);
    if (!w) {
        std::printf("kind=missing\n");
        return 2;
    }
    if (command == "tree") return Tree(w);
    if (command == "focus") return Focus(w);
    if ((command == "send" || command == "post") && argc == 6) {
        const UINT message = MessageNumber(argv[3]);
        const auto wParam = static_cast<WPARAM>(Number(argv[4]));
        const auto lParam = static_cast<LPARAM>(Number(argv[5]));
        if (command == "send")
            std::printf("result=%lld\n", static_cast<long long>(Send(w, message, wParam, lParam)));
        else
            std::printf("posted=%d\n", PostMessageA(w, message, wParam, lParam) ? 1 : 0);
        return 0;
    }
    std::fprintf(stderr, "usage: probe tree|focus|send|post CAPTION [MSG WPARAM LPARAM]\n");
    return 1;
}
