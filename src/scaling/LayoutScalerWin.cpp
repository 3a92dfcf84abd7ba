#include "scaling/LayoutScalerWin.h"

#include "platform/Window.h"
#include "settings/RegistryStoreWin.h"

namespace {

constexpr char appliedDpiPath[] = "Control Panel\\Desktop\\WindowMetrics\\AppliedDPI";
constexpr int32_t defaultDpi = 96;

LayoutWindowOps* layoutWindow = nullptr;

class Win32LayoutOps final : public LayoutOps {
public:
    explicit Win32LayoutOps(LayoutWindowOps& window) : window_(window) {}
    int32_t appliedDpi() override { return ReadRegNumber(appliedDpiPath, defaultDpi); }
    int32_t screenWidth() override { return GetSystemMetrics(SM_CXSCREEN); }
    int32_t screenHeight() override { return GetSystemMetrics(SM_CYSCREEN); }
    Bounds getBounds(LayoutTarget target) override { return GetBounds(window_.handle(target)); }
    void setBounds(LayoutTarget target, std::optional<int32_t> left, std::optional<int32_t> top,
                   std::optional<int32_t> width, std::optional<int32_t> height) override {
        SetBounds(window_.handle(target), left, top, width, height);
    }
    int32_t getFontPointSize(LayoutTarget target) override {
        return window_.getFontPointSize(window_.handle(target));
    }
    void setFontPointSize(LayoutTarget target, int32_t points) override {
        window_.setFontPointSize(window_.handle(target), points);
    }

private:
    LayoutWindowOps& window_;
};

}  // namespace

void SetLayoutWindow(LayoutWindowOps* window) { layoutWindow = window; }

void ScaleLayout() {
    if (!layoutWindow) return;
    Win32LayoutOps ops(*layoutWindow);
    ScaleLayoutWith(ops);
}
