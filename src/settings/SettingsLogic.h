#pragma once
// The delay and start-with-Windows settings over two seams: the registry
// calls and the two controls. The Win32 layer binds both; tests pass fakes.
#include <atomic>
#include <cstdint>
#include <string>

#include "settings/RegistryOps.h"

// The maker key: fixed at build time, one key name without a backslash.
#define KESTROVA_MAKER_KEY "MorvenhalTobrand"
constexpr const char* delayPath = "Software\\" KESTROVA_MAKER_KEY "\\Kestrova\\Delay";
constexpr const char* autostartPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Kestrova";

// The delay box and the start-with-Windows check box as the settings use them.
class SettingsControlOps {
public:
    virtual ~SettingsControlOps() = default;
    virtual std::string delayText() = 0;
    // Replaces the text and, before returning, raises the box's text-changed
    // event once, even where the text is unchanged.
    virtual void setDelayText(const char* text) = 0;
    virtual bool autostartChecked() = 0;
    // Raises no clicked event.
    virtual void setAutostartChecked(bool checked) = 0;
};

void InitAutostartBox(RegistryOps& calls, SettingsControlOps& controls);
// The default comes from the box's current text, the number from the registry.
void LoadDelaySetting(RegistryOps& calls, SettingsControlOps& controls);
void SaveDelaySetting(RegistryOps& calls, int32_t delayMs);
void onDelayTextChanged(SettingsControlOps& controls, std::atomic<int32_t>& delayMs);
// Writes command as the Run value when the box is checked, else deletes it.
void onAutostartClicked(RegistryOps& calls, SettingsControlOps& controls, const std::string& command);
