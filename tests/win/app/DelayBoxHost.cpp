#include "DelayBoxHost.h"

namespace {
constexpr int boxId = 1001;
constexpr char hostClass[] = "KestrovaDelayBoxTestHost";
}  // namespace

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LRESULT CALLBACK DelayBoxHost::proc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    DelayBoxHost* self = current;
    if (self && message == WM_COMMAND && LOWORD(wParam) == boxId) {
        if (HIWORD(wParam) == EN_CHANGE) ++self->changes_;
        if (HIWORD(wParam) == EN_KILLFOCUS) DelayBoxKillFocus(self->box_);
        return 0;
    }
    if (self && message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->code == UDN_DELTAPOS)
            return DelayBoxDeltaPos(self->box_, reinterpret_cast<const NMUPDOWN*>(lParam));
    }
    return DefWindowProcA(w, message, wParam, lParam);
}

// One top-level window for the whole run: Wine takes about two seconds to
// hide or destroy a top-level window without a window manager, so each host
// makes fresh controls on it instead.
HWND DelayBoxHost::sharedWindow() {
    static HWND window = [] {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = instance;
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = hostClass;
        RegisterClassA(&wc);
        HWND w = CreateWindowExA(0, hostClass, "Delay box host",
                                 WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, 100, 100, 380, 300,
                                 nullptr, nullptr, instance, nullptr);
        ShowWindow(w, SW_SHOW);
        SetForegroundWindow(w);
        PumpMessages();
        return w;
    }();
    return window;
}

DelayBoxHost* DelayBoxHost::current = nullptr;

DelayBoxHost::DelayBoxHost() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    window_ = sharedWindow();
    current = this;
    HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    box_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "100", WS_CHILD | WS_CLIPSIBLINGS | ES_AUTOHSCROLL | WS_TABSTOP,
                           217, 220, 48, 21, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(boxId)), instance,
                           nullptr);
    SendMessageA(box_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    AttachDelayBox(box_);
    other_ = CreateWindowExA(0, "BUTTON", "other", WS_CHILD | WS_CLIPSIBLINGS | BS_AUTOCHECKBOX | WS_TABSTOP | WS_VISIBLE,
                             125, 180, 130, 24, window_, nullptr, instance, nullptr);
    ShowWindow(box_, SW_SHOWNA);
    PumpMessages();
    changes_ = 0;
}

DelayBoxHost::~DelayBoxHost() {
    SetFocus(nullptr);
    HWND spinButtons = spin();
    DestroyWindow(box_);
    DestroyWindow(spinButtons);
    DestroyWindow(other_);
    PumpMessages();
    current = nullptr;
}

std::string DelayBoxHost::text() const {
    char buffer[512] = {};
    GetWindowTextA(box_, buffer, sizeof buffer);
    return buffer;
}

void DelayBoxHost::setText(const char* text) {
    SetWindowTextA(box_, text);
    changes_ = 0;
}

RECT DelayBoxHost::rectOf(HWND control) const {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, window_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
