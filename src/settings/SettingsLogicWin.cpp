#include "settings/SettingsLogicWin.h"

#include <windows.h>

#include "app/MainWindow.h"
#include "keymap/KeyRemap.h"
#include "settings/ProgramPath.h"
#include "settings/SettingsLogic.h"
#include "settings/RegistryCallsWin.h"

namespace {

// The two controls of the main window, through its property operations.
class WindowControls final : public SettingsControls {
public:
    std::string delayText() override { return GetControlText(ControlHandle(ControlId::DelayBox)); }
    void setDelayText(const char* text) override { SetControlText(ControlHandle(ControlId::DelayBox), text); }
    bool autostartChecked() override { return IsChecked(ControlHandle(ControlId::AutostartBox)); }
    void setAutostartChecked(bool checked) override {
        SetChecked(ControlHandle(ControlId::AutostartBox), checked);
    }
};

WindowControls controls;

}  // namespace

void InitAutostartBox() { InitAutostartBox(SystemRegistry(), controls); }

void LoadDelaySetting() { LoadDelaySetting(SystemRegistry(), controls); }

void SaveDelaySetting() { SaveDelaySetting(SystemRegistry(), actionDelayMs.load(std::memory_order_relaxed)); }

void onDelayTextChanged() { onDelayTextChanged(controls, actionDelayMs); }

void onAutostartClicked() {
    onAutostartClicked(SystemRegistry(), controls, AutostartCommand({RunDirectory(), ExeFileName()}));
}
