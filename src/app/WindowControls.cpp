// The seven controls of the main window, described by one table and made by one
// loop; the delay label's own painting; text-changed events.
#include <iterator>

#include "app/WindowState.h"

#include "app/BannerImageWin.h"
#include "app/DelayBox.h"
#include "platform/Subclass.h"
#include "platform/Window.h"

namespace window_detail {

namespace {

const char labelClassName[] = "KestrovaLabel";

enum class Parent { Window, GroupBox };

struct ControlRow {
    ControlId id;
    const char* className;
    DWORD style;  // WS_CHILD and WS_CLIPSIBLINGS are added to every control
    DWORD exStyle;
    int left, top, width, height;
    const char* caption;  // code page 936
    Parent parent;
    int check;  // initial BM_SETCHECK state, or -1 for a control without one
};

constexpr DWORD optionStyle = BS_AUTORADIOBUTTON | BS_MULTILINE | BS_LEFT | BS_VCENTER | WS_TABSTOP;

// In creation order. The option buttons come before the group box that becomes
// their parent, so they are moved into it once it exists.
const ControlRow controlTable[] = {
    // "100"
    {ControlId::DelayBox, "EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
     217, 220, 48, 21, "100", Parent::Window, -1},
    // "操作延迟(ms)"
    {ControlId::DelayLabel, labelClassName, 0, 0,
     103, 220, 100, 24, "\xB2\xD9\xD7\xF7\xD1\xD3\xB3\xD9" "(ms)", Parent::Window, -1},
    // "右Ctrl\r\n(即将推出)"
    {ControlId::CtrlOption, "BUTTON", optionStyle | WS_DISABLED, 0,
     96, 28, 115, 32, "\xD3\xD2" "Ctrl\r\n(" "\xBC\xB4\xBD\xAB\xCD\xC6\xB3\xF6" ")", Parent::GroupBox, BST_UNCHECKED},
    // "右Alt"
    {ControlId::AltOption, "BUTTON", optionStyle, 0,
     16, 32, 70, 24, "\xD3\xD2" "Alt", Parent::GroupBox, BST_CHECKED},
    // "将哪个键映射为Menu"
    {ControlId::GroupBox, "BUTTON", BS_GROUPBOX | BS_LEFT, 0,
     70, 92, 240, 72, "\xBD\xAB\xC4\xC4\xB8\xF6\xBC\xFC\xD3\xB3\xC9\xE4\xCE\xAA" "Menu", Parent::Window, -1},
    {ControlId::Banner, bannerClassName, 0, 0,
     0, 10, 400, 80, "", Parent::Window, -1},
    // "开机自动启动"
    {ControlId::AutostartBox, "BUTTON", BS_AUTOCHECKBOX | BS_MULTILINE | BS_LEFT | BS_VCENTER | WS_TABSTOP, 0,
     125, 180, 130, 24, "\xBF\xAA\xBB\xFA\xD7\xD4\xB6\xAF\xC6\xF4\xB6\xAF", Parent::Window, BST_UNCHECKED},
};
static_assert(std::size(controlTable) == controlCount);

// The font given with WM_SETFONT, kept in the label's window bytes; the label
// does not own it.
HGDIOBJ LabelFont(HWND label) { return reinterpret_cast<HGDIOBJ>(GetWindowLongPtrA(label, 0)); }

LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            const HDC dc = BeginPaint(label, &ps);
            RECT r;
            GetClientRect(label, &r);
            FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            // A size set by SetFontPointSize is kept as a logical font, and the
            // font is made from it at each paint; otherwise the WM_SETFONT one.
            const LOGFONTA* stored = StoredLogFont(label);
            UniqueFont own(stored ? CreateFontFrom(*stored) : nullptr);
            HGDIOBJ font = own ? static_cast<HGDIOBJ>(own.get()) : LabelFont(label);
            if (!font) font = GetStockObject(DEFAULT_GUI_FONT);
            {
                ScopedSelect select(dc, font);
                char text[256] = {};
                GetWindowTextA(label, text, static_cast<int>(sizeof text));
                SetBkMode(dc, TRANSPARENT);
                SetTextColor(dc, RGB(0, 0, 0));
                DrawTextA(dc, text, -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            }
            EndPaint(label, &ps);
            return 0;
        }
        case WM_SETFONT:
            SetWindowLongPtrA(label, 0, static_cast<LONG_PTR>(wParam));
            if (LOWORD(lParam)) InvalidateRect(label, nullptr, TRUE);
            return 0;
        case WM_GETFONT: return static_cast<LRESULT>(GetWindowLongPtrA(label, 0));
        case WM_SETTEXT: {
            const LRESULT result = DefWindowProcA(label, message, wParam, lParam);
            InvalidateRect(label, nullptr, TRUE);
            return result;
        }
        default: return DefWindowProcA(label, message, wParam, lParam);
    }
}

// The group box is the option buttons' parent, so their colour requests and
// notifications reach it first: it hands them to the main window. It also
// paints its own inside: a group box leaves that to its parent, which clips it
// away (WS_CLIPCHILDREN).
LRESULT groupBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, const SubclassRecord& record) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(box, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_COMMAND: return SendMessageA(GetParent(box), message, wParam, lParam);
        default: return record.callPrevious(box, message, wParam, lParam);
    }
}

void RegisterControlClasses(HINSTANCE instance) {
    WNDCLASSEXA label{};
    label.lpfnWndProc = LabelProc;
    label.cbWndExtra = sizeof(HFONT);
    label.hInstance = instance;
    label.lpszClassName = labelClassName;
    RegisterClassOnce(label);
    RegisterBannerClass(instance);
}

}  // namespace

void CreateControls(HWND window) {
    WindowState& s = State();
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterControlClasses(instance);
    const WPARAM guiFont = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));

    int identifier = firstControlIdentifier;
    for (const ControlRow& row : controlTable) {
        const HWND control = CreateWindowExA(
            row.exStyle, row.className, row.caption, WS_CHILD | WS_CLIPSIBLINGS | row.style, row.left,
            row.top, row.width, row.height, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(identifier++)), instance, nullptr);
        s.controls[static_cast<int>(row.id)] = control;
        if (!control) continue;
        SendMessageA(control, WM_SETFONT, guiFont, TRUE);
        if (row.check >= 0) SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(row.check), 0);
    }

    const HWND groupBox = Control(ControlId::GroupBox);
    if (groupBox) {
        Subclass(groupBox, groupBoxProc, nullptr);
        for (const ControlRow& row : controlTable) {
            const HWND control = Control(row.id);
            if (row.parent != Parent::GroupBox || !control) continue;
            SetParent(control, groupBox);
            MoveWindow(control, row.left, row.top, row.width, row.height, FALSE);
        }
    }

    if (const HWND box = Control(ControlId::DelayBox)) AttachDelayBox(box);

    for (const HWND control : s.controls)
        if (control) ShowWindow(control, SW_SHOWNA);
}

void RaiseTextChanged(HWND control) {
    const WindowState& s = State();
    if (!s.eventsFlowing) return;
    if (control == Control(ControlId::DelayBox) && s.events.onDelayTextChanged) s.events.onDelayTextChanged();
}

}  // namespace window_detail
