#pragma once
// The main window as the lower layers see it: the settings' two controls and
// the layout scaling's targets. Start-up registers both.
class SettingsControlOps;
class LayoutWindowOps;

SettingsControlOps& MainWindowSettingsControlOps();
LayoutWindowOps& MainWindowLayoutOps();
