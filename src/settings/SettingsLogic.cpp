#include "settings/SettingsLogic.h"

#include "settings/RegistryStore.h"
#include "settings/TextNumber.h"

void InitAutostartBox(RegistryOps& calls, SettingsControlOps& controls) {
    // Only the presence counts: a value naming another program still checks the box.
    controls.setAutostartChecked(RegValueExists(calls, autostartPath));
}

void LoadDelaySetting(RegistryOps& calls, SettingsControlOps& controls) {
    const int32_t fallback = LowBitsOfTruncated(TextToNumber(controls.delayText().c_str()));
    const int32_t stored = ReadRegNumber(calls, delayPath, fallback);
    controls.setDelayText(IntToText(stored).c_str());
}

void SaveDelaySetting(RegistryOps& calls, int32_t delayMs) {
    WriteRegNumber(calls, delayPath, delayMs);
}

void onDelayTextChanged(SettingsControlOps& controls, std::atomic<int32_t>& delayMs) {
    delayMs.store(TextToInt(controls.delayText().c_str()), std::memory_order_relaxed);
}

void onAutostartClicked(RegistryOps& calls, SettingsControlOps& controls, const std::string& command) {
    // Results are not looked at: the box keeps the state the click gave it.
    if (controls.autostartChecked())
        WriteRegText(calls, autostartPath, command.c_str());
    else
        DeleteRegValue(calls, autostartPath);
}
