#include "settings/SettingsLogicWin.h"

#include "keymap/KeyRemap.h"
#include "settings/ProgramPath.h"
#include "settings/RegistryOpsWin.h"
#include "settings/SettingsLogic.h"

namespace {
SettingsControlOps* controls = nullptr;
}  // namespace

void SetSettingsControls(SettingsControlOps* windowControls) { controls = windowControls; }

void InitAutostartBox() {
    if (controls) InitAutostartBox(SystemRegistry(), *controls);
}

void LoadDelaySetting() {
    if (controls) LoadDelaySetting(SystemRegistry(), *controls);
}

void SaveDelaySetting() { SaveDelaySetting(SystemRegistry(), actionDelayMs.load(std::memory_order_relaxed)); }

void onDelayTextChanged() {
    if (controls) onDelayTextChanged(*controls, actionDelayMs);
}

void onAutostartClicked() {
    if (controls) onAutostartClicked(SystemRegistry(), *controls, AutostartCommand({RunDirectory(), ExeFileName()}));
}
