// Keyboard navigation among the window's controls, done by hand rather than by
// IsDialogMessage: the window has no default button, Esc does not close it, F1
// means nothing, and Tab visits exactly the three controls that take the focus.
#include <vector>

#include "app/WindowState.h"

using namespace window_detail;

namespace {

constexpr UINT firstKeyboardMessage = 0x0100;
constexpr UINT lastKeyboardMessage = 0x0108;

// The order in which Tab visits the controls.
const ControlId tabOrder[] = {ControlId::DelayBox, ControlId::CtrlOption, ControlId::AltOption,
                              ControlId::AutostartBox};

bool TakesFocus(HWND w) {
    return w && IsWindowVisible(w) && IsWindowEnabled(w) && (GetWindowLongA(w, GWL_STYLE) & WS_TABSTOP);
}

bool IsOptionButton(HWND w) {
    char className[16] = {};
    GetClassNameA(w, className, static_cast<int>(sizeof className));
    if (lstrcmpiA(className, "BUTTON") != 0) return false;
    const LONG kind = GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK;
    return kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON;
}

void FocusControl(HWND w) {
    SetFocus(w);
    char className[16] = {};
    GetClassNameA(w, className, static_cast<int>(sizeof className));
    if (lstrcmpiA(className, "EDIT") == 0) SendMessageA(w, EM_SETSEL, 0, -1);
}

void MoveTabFocus(bool backwards) {
    std::vector<HWND> stops;
    for (ControlId id : tabOrder)
        if (TakesFocus(Control(id))) stops.push_back(Control(id));
    if (stops.empty()) return;
    const HWND focus = GetFocus();
    size_t at = stops.size();
    for (size_t i = 0; i < stops.size(); ++i)
        if (stops[i] == focus || IsChild(stops[i], focus)) at = i;
    size_t next;
    if (at == stops.size())
        next = backwards ? stops.size() - 1 : 0;
    else
        next = backwards ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
    FocusControl(stops[next]);
}

// The neighbouring enabled option button with the same parent, in child order.
void MoveAmongOptions(HWND option, bool backwards) {
    const HWND parent = GetParent(option);
    std::vector<HWND> options;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsOptionButton(c) && IsWindowEnabled(c) && IsWindowVisible(c)) options.push_back(c);
    size_t at = options.size();
    for (size_t i = 0; i < options.size(); ++i)
        if (options[i] == option) at = i;
    if (at == options.size() || options.size() < 2) return;
    const HWND next = options[backwards ? (at + options.size() - 1) % options.size() : (at + 1) % options.size()];
    SetFocus(next);
    for (HWND o : options) SendMessageA(o, BM_SETCHECK, o == next ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool IsOurs(HWND w) {
    const HWND window = State().window;
    return window && w && (w == window || IsChild(window, w));
}

}  // namespace

bool PreTranslateWindowMessage(MSG* msg) {
    if (!msg) return false;
    // Workers pump their own queues through this too. Nothing of theirs is the
    // window's, and the window's state below belongs to the UI thread: answer
    // before reading any of it.
    if (GetCurrentThreadId() != State().uiThread.load()) return false;
    if (msg->message >= firstKeyboardMessage && msg->message <= lastKeyboardMessage && msg->hwnd && !IsWindowEnabled(msg->hwnd))
        return false;
    if (msg->message != WM_KEYDOWN || !IsOurs(msg->hwnd)) return false;

    switch (msg->wParam) {
        case VK_TAB:
            MoveTabFocus(GetKeyState(VK_SHIFT) < 0);
            return true;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (!IsOptionButton(msg->hwnd)) return false;
            MoveAmongOptions(msg->hwnd, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
            return true;
        default:
            // Enter, Esc, F1 and the rest go on to the control.
            return false;
    }
}
