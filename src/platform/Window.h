#pragma once
// Generic window helpers: text, bounds, check state, class registration. They
// know no window of this program in particular.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Bounds.h"

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

// The bounds of a window: for a child, relative to its parent's client area;
// for a top-level window, in screen coordinates with the outer size.
inline Bounds GetBounds(HWND w) {
    const RECT r = WindowRectInParent(w);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Moves and sizes a window; an omitted value (and a width or height of -1) is
// kept. Nothing is sent when nothing changes.
inline void SetBounds(HWND w, std::optional<int> left, std::optional<int> top, std::optional<int> width,
                      std::optional<int> height) {
    const Bounds current = GetBounds(w);
    Bounds wanted = current;
    if (left) wanted.left = *left;
    if (top) wanted.top = *top;
    if (width && *width != -1) wanted.width = *width;
    if (height && *height != -1) wanted.height = *height;
    if (wanted == current) return;
    MoveWindow(w, wanted.left, wanted.top, wanted.width, wanted.height, TRUE);
}

inline std::string GetControlText(HWND w) { return WindowText(w); }

inline bool IsChecked(HWND w) { return SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED; }

inline void SetChecked(HWND w, bool value) {
    SendMessageA(w, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The bytes of a resource of this module; empty when it is missing.
inline std::string_view ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    const HRSRC found = FindResourceA(module, name, type);
    if (!found) return {};
    const HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) return {};
    return {static_cast<const char*>(bytes), SizeofResource(module, found)};
}
