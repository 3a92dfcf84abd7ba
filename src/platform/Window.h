#pragma once
// Small window helpers shared by the window, its controls and the delay box.
#include <windows.h>

#include <string>
#include <vector>

// The whole text of a window, as ANSI bytes.
inline std::string WindowText(HWND w) {
    const int length = GetWindowTextLengthA(w);
    if (length <= 0) return {};
    std::vector<char> text(static_cast<size_t>(length) + 1);
    const int copied = GetWindowTextA(w, text.data(), length + 1);
    return std::string(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

// The window rectangle, in its parent's client coordinates for a child window
// (a popup or top-level window keeps screen coordinates).
inline RECT WindowRectInParent(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    const HWND parent = GetParent(w);
    if (parent && !(GetWindowLongA(w, GWL_STYLE) & WS_POPUP))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Registers a window class of this module once; a class already registered
// counts as success. The cursor is the arrow unless the caller set one.
inline bool RegisterClassOnce(WNDCLASSEXA wc) {
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(wc.hInstance, wc.lpszClassName, &existing)) return true;
    wc.cbSize = sizeof wc;
    if (!wc.hCursor) wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    return RegisterClassExA(&wc) != 0;
}
