#include "scaling/LayoutScaler.h"

#include "scaling/DpiMath.h"

namespace {

constexpr LayoutTarget scaledControls[] = {
    LayoutTarget::Banner,   LayoutTarget::AutostartBox, LayoutTarget::DelayLabel, LayoutTarget::DelayBox,
    LayoutTarget::GroupBox, LayoutTarget::AltOption,    LayoutTarget::CtrlOption,
};

void ScaleWindowSize(LayoutOps& ops, float factor) {
    const Bounds b = ops.getBounds(LayoutTarget::MainWindow);
    ops.setBounds(LayoutTarget::MainWindow, std::nullopt, std::nullopt, ScaleValue(b.width, factor),
                  ScaleValue(b.height, factor));
}

// Centred by the size the system actually left the window, which may differ
// from the size asked for (a 0 × 0 request, for instance).
void CentreWindow(LayoutOps& ops) {
    const int32_t screenWidth = ops.screenWidth();
    const int32_t width = ops.getBounds(LayoutTarget::MainWindow).width;
    const int32_t screenHeight = ops.screenHeight();
    const int32_t height = ops.getBounds(LayoutTarget::MainWindow).height;
    ops.setBounds(LayoutTarget::MainWindow, CentredOrigin(screenWidth, width), CentredOrigin(screenHeight, height),
                  std::nullopt, std::nullopt);
}

void ScaleControl(LayoutOps& ops, LayoutTarget control, float factor) {
    const Bounds b = ops.getBounds(control);
    ops.setBounds(control, ScaleValue(b.left, factor), ScaleValue(b.top, factor), ScaleValue(b.width, factor),
                  ScaleValue(b.height, factor));
    // The banner is a picture: it has no text to size.
    if (control == LayoutTarget::Banner) return;
    ops.setFontPointSize(control, ScaleValue(ops.getFontPointSize(control), factor));
}

}  // namespace

void ScaleLayoutWith(LayoutOps& ops) {
    const float factor = ComputeDpiFactor(ops.appliedDpi());
    if (IsUnitDpiFactor(factor)) return;
    ScaleWindowSize(ops, factor);
    CentreWindow(ops);
    for (LayoutTarget control : scaledControls) ScaleControl(ops, control, factor);
}
