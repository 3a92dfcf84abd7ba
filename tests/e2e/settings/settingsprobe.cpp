// Reads the settings controls of the running program from outside, for the
// end-to-end tests: `settingsprobe CAPTION` prints, in code page 936,
//   delay <TAB> text of the delay box
//   checked <TAB> 0 or 1, the start-with-Windows box
//   edit|spin|check <TAB> left top right bottom (screen pixels)
// Exit code 0 when every control was found, 2 when the window or a control
// was not, 1 on a usage error.
#include <windows.h>

#include <cstdio>

namespace {

struct Found {
    HWND edit = nullptr;
    HWND spin = nullptr;
    HWND check = nullptr;
};

BOOL CALLBACK visit(HWND child, LPARAM param) {
    auto* found = reinterpret_cast<Found*>(param);
    char cls[64] = {};
    GetClassNameA(child, cls, sizeof cls);
    const LONG style = GetWindowLongA(child, GWL_STYLE);
    if (lstrcmpiA(cls, "Edit") == 0) found->edit = child;
    if (lstrcmpiA(cls, "msctls_updown32") == 0) found->spin = child;
    if (lstrcmpiA(cls, "Button") == 0 && (style & 0x0F) == BS_AUTOCHECKBOX) found->check = child;
    return TRUE;  // EnumChildWindows also walks the children of the group box
}

void printRect(const char* name, HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    std::printf("%s\t%ld %ld %ld %ld\n", name, r.left, r.top, r.right, r.bottom);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: settingsprobe CAPTION\n");
        return 1;
    }
    HWND top = FindWindowA(nullptr, argv[1]);
    if (top == nullptr) return 2;
    Found found;
    EnumChildWindows(top, visit, reinterpret_cast<LPARAM>(&found));
    if (!found.edit || !found.spin || !found.check) return 2;

    // WM_GETTEXT and BM_GETCHECK are answered by the program's own thread.
    char text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutA(found.edit, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, &length);
    DWORD_PTR checked = 0;
    SendMessageTimeoutA(found.check, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &checked);
    std::printf("delay\t%s\nchecked\t%d\n", text, checked == BST_CHECKED ? 1 : 0);
    printRect("edit", found.edit);
    printRect("spin", found.spin);
    printRect("check", found.check);
    return 0;
}
