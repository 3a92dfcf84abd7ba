#include "app/DelayBox.h"

#include "app/DelayText.h"
#include "platform/Subclass.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <memory>
#include <string>

namespace {

constexpr int spinWidth = 18;
constexpr short spinLower = 1;
constexpr short spinUpper = 1000;

struct DelayBoxState {
    HWND spin = nullptr;  // a sibling; the parent destroys it
    UniqueFont font;      // the font last applied, when it is ours to delete
};

LRESULT delayBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, const SubclassRecord& record);

DelayBoxState* stateOf(HWND box) {
    return static_cast<DelayBoxState*>(SubclassContext(box, delayBoxProc));
}

void placeSpin(HWND box, HWND spin) {
    const RECT r = WindowRectInParent(box);
    SetWindowPos(spin, nullptr, r.right, r.top, spinWidth, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void showSpin(HWND spin, bool visible) {
    ShowWindow(spin, visible ? SW_SHOWNA : SW_HIDE);
}

// The box must be at least as high as "吴" in its font plus the client edge.
void keepMinimumHeight(HWND box, HFONT font) {
    SIZE extent{};
    {
        ScopedGetDC screen(nullptr);
        if (!screen) return;
        ScopedSelect select(screen.get(), font);
        static const char sample[] = "\xCE\xE2";  // 吴 in code page 936
        if (!GetTextExtentPoint32A(screen.get(), sample, 2, &extent)) return;
    }
    const int minimum = extent.cy + 2 * GetSystemMetrics(SM_CYEDGE);
    RECT r{};
    GetWindowRect(box, &r);
    if (r.bottom - r.top < minimum) {
        SetWindowPos(box, nullptr, 0, 0, r.right - r.left, minimum,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT delayBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, const SubclassRecord& record) {
    auto* state = static_cast<DelayBoxState*>(record.context);
    switch (message) {
    case WM_CHAR:
        if (!DelayBoxAcceptsChar(static_cast<unsigned>(wParam))) return 0;
        break;
    case WM_WINDOWPOSCHANGED: {
        const LRESULT result = record.callPrevious(box, message, wParam, lParam);
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (!(pos->flags & SWP_NOMOVE) || !(pos->flags & SWP_NOSIZE)) placeSpin(box, state->spin);
        if (pos->flags & SWP_SHOWWINDOW) showSpin(state->spin, true);
        if (pos->flags & SWP_HIDEWINDOW) showSpin(state->spin, false);
        return result;
    }
    case WM_SHOWWINDOW:
        // A non-zero lParam means the parent is being shown or hidden: the
        // box's own visibility does not change, and the spin goes with the parent.
        if (lParam == 0) showSpin(state->spin, wParam != 0);
        break;
    case WM_ENABLE:
        EnableWindow(state->spin, static_cast<BOOL>(wParam));
        break;
    case WM_NCDESTROY: {
        const std::unique_ptr<DelayBoxState> owned(state);
        return record.callPrevious(box, message, wParam, lParam);
    }
    default:
        break;
    }
    return record.callPrevious(box, message, wParam, lParam);
}

}  // namespace

void AttachDelayBox(HWND box) {
    if (!box || stateOf(box)) return;
    INITCOMMONCONTROLSEX classes{sizeof(classes), ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);

    auto state = std::make_unique<DelayBoxState>();
    const RECT r = WindowRectInParent(box);
    state->spin = CreateWindowExA(0, UPDOWN_CLASSA, nullptr, WS_CHILD | WS_CLIPSIBLINGS, r.right, r.top,
                                  spinWidth, r.bottom - r.top, GetParent(box), nullptr,
                                  reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(box, GWLP_HINSTANCE)),
                                  nullptr);
    // Placed again once created: the control may pick a width of its own when
    // it is created (Wine makes it 16 pixels).
    placeSpin(box, state->spin);
    SendMessageA(state->spin, UDM_SETRANGE, 0, MAKELPARAM(spinUpper, spinLower));
    if (!IsWindowEnabled(box)) EnableWindow(state->spin, FALSE);
    if (GetWindowLongPtrA(box, GWL_STYLE) & WS_VISIBLE) showSpin(state->spin, true);

    if (!Subclass(box, delayBoxProc, state.get())) {
        if (state->spin) DestroyWindow(state->spin);
        return;
    }
    state.release();  // the box's now: deleted at WM_NCDESTROY

    SendMessageA(box, EM_LIMITTEXT, 0, 0);
    SendMessageA(box, EM_SETSEL, 0, 0);
    SendMessageA(box, EM_SCROLLCARET, 0, 0);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(box, WM_GETFONT, 0, 0));
    keepMinimumHeight(box, font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
}

HWND DelayBoxSpinButtons(HWND box) {
    const DelayBoxState* state = stateOf(box);
    return state ? state->spin : nullptr;
}

void onDelayBoxKillFocus(HWND box) {
    const std::string text = WindowText(box);
    const std::string tidy = TidyDelayText(text.c_str());
    if (tidy == text) return;
    DWORD start = 0;
    SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    SetWindowTextA(box, tidy.c_str());
    SendMessageA(box, EM_SETSEL, start, start);
    SendMessageA(box, EM_SCROLLCARET, 0, 0);
}

LRESULT onDelayBoxDeltaPos(HWND box, const NMUPDOWN* change) {
    if (!change || !IsWindowEnabled(box) || !IsWindowVisible(box)) return 0;
    HWND spin = DelayBoxSpinButtons(box);
    if (!spin) spin = change->hdr.hwndFrom;
    const auto range = static_cast<DWORD>(SendMessageA(spin, UDM_GETRANGE, 0, 0));
    const auto upper = static_cast<short>(LOWORD(range));
    const auto lower = static_cast<short>(HIWORD(range));
    const std::int32_t n = ReadDelayInt32(WindowText(box).c_str());
    const std::int32_t value = SpinDelayValue(n, lower, upper, change->iDelta >= 0);
    char text[16];
    wsprintfA(text, "%d", static_cast<int>(value));
    SetWindowTextA(box, text);
    SendMessageA(box, EM_SETSEL, 0, -1);
    SendMessageA(box, EM_SCROLLCARET, 0, 0);
    SetFocus(box);
    return 0;
}

void ApplyDelayBoxFont(HWND box, HFONT font) {
    HFONT stock = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    DelayBoxState* state = stateOf(box);
    if (!state) {
        // Only an attached box can delete a font when it is done with it, so a
        // box that was never attached is left alone and the font goes now.
        if (font && font != stock) DeleteObject(font);
        return;
    }
    HFONT applied = font ? font : stock;
    keepMinimumHeight(box, applied);
    SendMessageA(box, WM_SETFONT, reinterpret_cast<WPARAM>(applied), TRUE);
    SetWindowPos(box, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    // The previous font goes only now, once the box no longer uses it.
    if (applied != state->font.get()) state->font.reset(applied == stock ? nullptr : applied);
}
