#pragma once
// The layout scaling bound to Win32: the applied DPI from the registry, the
// screen size from the system, and the window's targets through what the
// window registers.
#include <windows.h>

#include <cstdint>

#include "scaling/LayoutScaler.h"

// What only the window knows: which handle each target is, and the font size of
// a control as the window keeps it. The window registers it before ScaleLayout
// runs, the way it registers its pre-translation with the key remapping.
class LayoutWindowOps {
public:
    virtual ~LayoutWindowOps() = default;
    virtual HWND handle(LayoutTarget target) = 0;
    virtual int32_t getFontPointSize(HWND w) = 0;
    virtual void setFontPointSize(HWND w, int32_t points) = 0;
};
void SetLayoutWindow(LayoutWindowOps* window);

// Scales the window and its controls by the desktop's DPI, once, at start-up.
// Nothing happens while no window is registered.
void ScaleLayout();
