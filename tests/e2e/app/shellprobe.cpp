// Looks at and pokes the running program from outside, the way the shell and
// the session manager would, for the end-to-end tests. One command per run;
// answers on stdout in code page 936; exit code 0 when the command could be
// carried out, 2 when its window was not found, 1 on a usage error.
//
// CAPTION is a top-level window's caption, or #N for the window handle N.
//   hwnd CAPTION                 the window handle, as a decimal number
//   rect CAPTION                 left top width height visible  (window rect)
//   send CAPTION MSG WPARAM LPARAM   SendMessageTimeout, prints the result
//   children CAPTION             one line per child: id class style text
//   tray-has CAPTION             1 if the shell knows the icon (hwnd, 100), else 0
//   tray-forget CAPTION          deletes the icon as a restarting shell loses it
//   taskbar-created              broadcasts the shell's "TaskbarCreated"
//   menu                         the open popup menu: its rect, then its items (id text)
//                                where the menu can be read from another process
#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND findTop(const char* caption) {
    if (caption[0] == '#') return reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(caption + 1, nullptr, 10)));
    return FindWindowA(nullptr, caption);
}

WPARAM number(const char* text) { return static_cast<WPARAM>(std::strtoull(text, nullptr, 0)); }

NOTIFYICONDATAA iconRecord(HWND window) {
    NOTIFYICONDATAA record;
    std::memset(&record, 0, sizeof record);
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    record.uID = 100;
    return record;
}

BOOL CALLBACK printChild(HWND child, LPARAM) {
    char cls[64] = {};
    char text[256] = {};
    GetClassNameA(child, cls, sizeof cls);
    GetWindowTextA(child, text, sizeof text);
    std::printf("%d\t%s\t0x%08lx\t%s\n", GetDlgCtrlID(child), cls,
                static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)), text);
    return TRUE;
}

int printMenu() {
    HWND popup = FindWindowA("#32768", nullptr);
    if (popup == nullptr || !IsWindowVisible(popup)) return 2;
    RECT r{};
    GetWindowRect(popup, &r);
    std::printf("rect\t%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(popup, MN_GETHMENU, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
    HMENU menu = reinterpret_cast<HMENU>(result);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        std::printf("%u\t%s\n", GetMenuItemID(menu, i), text);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 1;
    const char* command = argv[1];
    if (std::strcmp(command, "taskbar-created") == 0) {
        const UINT message = RegisterWindowMessageA("TaskbarCreated");
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        return 0;
    }
    if (std::strcmp(command, "menu") == 0) return printMenu();
    if (argc < 3) return 1;
    HWND window = findTop(argv[2]);
    if (window == nullptr) return 2;

    if (std::strcmp(command, "hwnd") == 0) {
        std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    } else if (std::strcmp(command, "rect") == 0) {
        RECT r{};
        GetWindowRect(window, &r);
        std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right - r.left, r.bottom - r.top,
                    IsWindowVisible(window) ? 1 : 0);
    } else if (std::strcmp(command, "send") == 0 && argc == 6) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutA(window, static_cast<UINT>(number(argv[3])), number(argv[4]),
                                 static_cast<LPARAM>(number(argv[5])), SMTO_ABORTIFHUNG, 5000, &result)) {
            return 2;
        }
        std::printf("%llu\n", static_cast<unsigned long long>(result));
    } else if (std::strcmp(command, "children") == 0) {
        EnumChildWindows(window, printChild, 0);
    } else if (std::strcmp(command, "tray-has") == 0) {
        // Modifying nothing succeeds exactly when the shell holds the icon.
        NOTIFYICONDATAA record = iconRecord(window);
        std::printf("%d\n", Shell_NotifyIconA(NIM_MODIFY, &record) ? 1 : 0);
    } else if (std::strcmp(command, "tray-forget") == 0) {
        NOTIFYICONDATAA record = iconRecord(window);
        std::printf("%d\n", Shell_NotifyIconA(NIM_DELETE, &record) ? 1 : 0);
    } else {
        return 1;
    }
    return 0;
}
