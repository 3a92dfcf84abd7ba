#pragma once
// The Win32 side of the key remapping beyond what KeyRemap.h gives the rest of
// the program: the hook procedure and its state, and the worker thread.
#include <windows.h>

#include "keymap/KeyRemap.h"
#include "keymap/TapDetector.h"

// The installed hook; null until InstallKeyboardHook. Written once, and not
// cleared by RemoveKeyboardHook. UI thread only.
extern HHOOK hookHandle;

// The one detector of the process. The system calls the hook procedure with no
// context argument, and only on the UI thread, so a global needs no lock.
extern keymap::TapDetector tapDetector;

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);

// Starts one detached worker thread; a failed creation drops the tap silently.
void StartMenuKeyWorker();
DWORD WINAPI MenuKeyWorker(LPVOID unused);
