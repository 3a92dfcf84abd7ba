#pragma once
// The scaling sequence over the handful of operations it needs, so it runs
// against substitutes off Windows as well as against the real window.
#include <cstdint>
#include <optional>

#include "platform/Bounds.h"

// The targets, in the order in which they are scaled.
enum class LayoutTarget { MainWindow, Banner, AutostartBox, DelayLabel, DelayBox, GroupBox, AltOption, CtrlOption };

// Exactly what the sequence reads and writes. Bounds of the main window are in
// screen coordinates with the outer size; those of a control are relative to its
// parent's client area. An omitted value in setBounds is kept.
class LayoutOps {
public:
    virtual ~LayoutOps() = default;
    virtual int32_t appliedDpi() = 0;
    virtual int32_t screenWidth() = 0;
    virtual int32_t screenHeight() = 0;
    virtual Bounds getBounds(LayoutTarget target) = 0;
    virtual void setBounds(LayoutTarget target, std::optional<int32_t> left, std::optional<int32_t> top,
                           std::optional<int32_t> width, std::optional<int32_t> height) = 0;
    virtual int32_t getFontPointSize(LayoutTarget target) = 0;
    virtual void setFontPointSize(LayoutTarget target, int32_t points) = 0;
};

// Scales the main window's size, centres it on the screen, then scales each
// control's bounds and (all but the banner) its font, one control at a time.
// Does nothing beyond reading the DPI when the factor counts as 1.
void ScaleLayoutWith(LayoutOps& ops);
