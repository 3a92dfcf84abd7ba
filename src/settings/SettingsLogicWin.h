#pragma once
// The delay and start-with-Windows settings, as start-up and the window use them:
// the settings' logic bound to the real registry and to the two controls the
// window registers.
#include <cstdint>
#include <string>

class SettingsControlOps;
// The window registers its delay box and check box here before the settings
// are loaded; until then the operations below do nothing.
void SetSettingsControls(SettingsControlOps* controls);

void InitAutostartBox();
void LoadDelaySetting();
void SaveDelaySetting();
void onDelayTextChanged();
void onAutostartClicked();

// The program's folder and file name, cut from the executable's full path at
// its last backslash (never the second byte of a double-byte character).
// Determined once, at start-up, before the current directory is set.
void DetermineProgramPath();
const std::string& RunDirectory();
const std::string& ExeFileName();
