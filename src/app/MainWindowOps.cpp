#include "app/MainWindowOps.h"

#include "app/MainWindow.h"
#include "scaling/LayoutScalerWin.h"
#include "settings/SettingsLogic.h"

namespace {

class Win32SettingsControlOps final : public SettingsControlOps {
public:
    std::string delayText() override { return GetControlText(ControlHandle(ControlId::DelayBox)); }
    void setDelayText(const char* text) override { SetControlText(ControlHandle(ControlId::DelayBox), text); }
    bool autostartChecked() override { return IsChecked(ControlHandle(ControlId::AutostartBox)); }
    void setAutostartChecked(bool checked) override {
        SetChecked(ControlHandle(ControlId::AutostartBox), checked);
    }
};

class Win32LayoutWindowOps final : public LayoutWindowOps {
public:
    HWND handle(LayoutTarget target) override {
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
    int32_t getFontPointSize(HWND w) override { return GetFontPointSize(w); }
    void setFontPointSize(HWND w, int32_t points) override { SetFontPointSize(w, points); }
};

}  // namespace

SettingsControlOps& MainWindowSettingsControlOps() {
    static Win32SettingsControlOps controls;
    return controls;
}

LayoutWindowOps& MainWindowLayoutOps() {
    static Win32LayoutWindowOps layout;
    return layout;
}
