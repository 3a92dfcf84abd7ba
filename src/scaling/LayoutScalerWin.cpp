#include "scaling/LayoutScalerWin.h"

#include <windows.h>

#include "app/MainWindow.h"
#include "scaling/LayoutScaler.h"
#include "settings/RegistryStore.h"

namespace {

constexpr char appliedDpiPath[] = "Control Panel\\Desktop\\WindowMetrics\\AppliedDPI";
constexpr int32_t defaultDpi = 96;

HWND TargetHandle(LayoutTarget target) {
    switch (target) {
    case LayoutTarget::MainWindow: return MainWindowHandle();
    case LayoutTarget::Banner: return ControlHandle(ControlId::Banner);
    case LayoutTarget::AutostartBox: return ControlHandle(ControlId::AutostartBox);
    case LayoutTarget::DelayLabel: return ControlHandle(ControlId::DelayLabel);
    case LayoutTarget::DelayBox: return ControlHandle(ControlId::DelayBox);
    case LayoutTarget::GroupBox: return ControlHandle(ControlId::GroupBox);
    case LayoutTarget::AltOption: return ControlHandle(ControlId::AltOption);
    case LayoutTarget::CtrlOption: return ControlHandle(ControlId::CtrlOption);
    }
    return nullptr;
}

class WindowLayoutOperations final : public LayoutOperations {
public:
    int32_t appliedDpi() override { return ReadRegNumber(appliedDpiPath, defaultDpi); }
    int32_t screenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
    int32_t screenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }
    LayoutBounds getBounds(LayoutTarget target) override {
        const Bounds b = GetBounds(TargetHandle(target));
        return {b.left, b.top, b.width, b.height};
    }
    void setBounds(LayoutTarget target, std::optional<int32_t> left, std::optional<int32_t> top,
                   std::optional<int32_t> width, std::optional<int32_t> height) override {
        SetBounds(TargetHandle(target), left, top, width, height);
    }
    int32_t getFontPointSize(LayoutTarget target) override { return GetFontPointSize(TargetHandle(target)); }
    void setFontPointSize(LayoutTarget target, int32_t points) override {
        SetFontPointSize(TargetHandle(target), points);
    }
};

}  // namespace

void ScaleLayout() {
    WindowLayoutOperations ops;
    ScaleLayoutWith(ops);
}
