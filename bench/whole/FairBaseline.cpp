// The fair baseline of Kestrova's memory: a program that loads what Kestrova
// loads and does nothing else. It links the same system libraries, and makes
// the start-up calls that bring in code: OLE, the common controls' up-down
// class, a hidden top-level window holding controls of the same classes
// (an edit box with its spin buttons, a check box, option buttons, a group
// box, two window classes of its own standing for the label and the banner),
// and a tray icon. It has no picture, no settings, no hook and no tap
// detector. Keep it in step with the program: `make bench` compares the two
// import lists and the libraries each has mapped.
//
//   whole_fair [--caption TEXT]
//
// It starts hidden, as Kestrova does with /hidden, and answers the commands of
// Kestrova's tray menu: WM_COMMAND 20001 shows or hides the window, 20002 ends
// the program. Like Kestrova it is a GUI program; find it by its caption.
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT trayMessage = WM_APP + 100;
constexpr WPARAM toggleCommand = 20001;
constexpr WPARAM exitCommand = 20002;

NOTIFYICONDATAA tray{};

LRESULT CALLBACK FairWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == toggleCommand) ShowWindow(w, IsWindowVisible(w) ? SW_HIDE : SW_SHOW);
        if (LOWORD(wp) == exitCommand) DestroyWindow(w);
        return 0;
    case WM_CLOSE: ShowWindow(w, SW_HIDE); return 0;
    case WM_DESTROY:
        Shell_NotifyIconA(NIM_DELETE, &tray);
        PostQuitMessage(0);
        return 0;
    default: return DefWindowProcA(w, msg, wp, lp);
    }
}

// The label and the banner are classes of their own in Kestrova; here they
// paint the face and nothing else.
LRESULT CALLBACK PlainChildProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

bool Register(HINSTANCE instance, const char* name, WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) != 0;
}

struct Child {
    const char* className;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;
    // The same code-page-936 texts as Kestrova's controls: drawing them is what
    // makes Wine read the Chinese font, about 1.5 MB that is not Kestrova's own.
    const char* text;
};

const Child children[] = {
    {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, 217, 220, 48, 21, "100"},
    {"FairLabel", 0, 0, 103, 220, 100, 24, "\xB2\xD9\xD7\xF7\xD1\xD3\xB3\xD9" "(ms)"},
    {"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_DISABLED, 0, 96, 120, 115, 32,
     "\xD3\xD2" "Ctrl\r\n(" "\xBC\xB4\xBD\xAB\xCD\xC6\xB3\xF6" ")"},
    {"BUTTON", BS_AUTORADIOBUTTON | WS_TABSTOP, 0, 86, 124, 70, 24, "\xD3\xD2" "Alt"},
    {"BUTTON", BS_GROUPBOX, 0, 70, 92, 240, 72, "\xBD\xAB\xC4\xC4\xB8\xF6\xBC\xFC\xD3\xB3\xC9\xE4\xCE\xAA" "Menu"},
    {"FairBanner", 0, 0, 0, 10, 400, 80, ""},
    {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0, 125, 180, 130, 24,
     "\xBF\xAA\xBB\xFA\xD7\xD4\xB6\xAF\xC6\xF4\xB6\xAF"},
    {UPDOWN_CLASSA, 0, 0, 265, 220, 18, 21, ""},
};

}  // namespace

int main(int argc, char** argv) {  // linked as a GUI program: no console
    const char* caption = "whole_fair";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--caption") == 0 && i + 1 < argc) {
            caption = argv[++i];
        } else {
            std::fprintf(stderr, "usage: whole_fair [--caption TEXT]\n");
            return 2;
        }
    }

    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!Register(instance, "KestrovaBenchFair", &FairWindowProc) ||
        !Register(instance, "FairLabel", &PlainChildProc) || !Register(instance, "FairBanner", &PlainChildProc)) {
        return 1;
    }
    HWND window = CreateWindowExA(0, "KestrovaBenchFair", caption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU |
                                  WS_MINIMIZEBOX | WS_CLIPCHILDREN, 770, 390, 380, 300, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) return 1;
    const WPARAM font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    for (const Child& c : children) {
        HWND child = CreateWindowExA(c.exStyle, c.className, c.text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style,
                                     c.left, c.top, c.width, c.height, window, nullptr, instance, nullptr);
        if (child) SendMessageA(child, WM_SETFONT, font, TRUE);
    }

    tray.cbSize = NOTIFYICONDATAA_V1_SIZE;
    tray.hWnd = window;
    tray.uID = 100;
    tray.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    tray.uCallbackMessage = trayMessage;
    tray.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    std::strcpy(tray.szTip, "whole_fair");
    Shell_NotifyIconA(NIM_ADD, &tray);

    // Kestrova reads its settings here; a key opened and closed keeps advapi32
    // among the imports, as it is in Kestrova's.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key) == ERROR_SUCCESS) RegCloseKey(key);

    // Kestrova watches its hook through raw keyboard input and session
    // notifications (wtsapi32) once the hook is in place.
    RAWINPUTDEVICE keyboard{0x01, 0x06, RIDEV_INPUTSINK, window};
    RegisterRawInputDevices(&keyboard, 1, sizeof keyboard);
    WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION);

    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    WTSUnRegisterSessionNotification(window);
    OleUninitialize();
    return 0;
}
