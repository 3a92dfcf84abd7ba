#pragma once
// The life of the process: start-up, the single-instance guard, the main loop
// and the shutdown steps. Everything here runs on the UI thread.
#include <windows.h>


// The process's main routine: 0 on every normal path, 1 when the main window
// could not be created.
int RunProgram();

void onCreated();
// True when another instance runs; false when this one claimed the instance
// event, or tried to.
bool ClaimSingleInstance();
// The shutdown steps: hook removed, delay saved, tray icon removed. They run
// at most once, whether the window is destroyed or the session ends first.
void onWillBeDestroyed();
// The session ends (WM_ENDSESSION with TRUE): the process may be ended without
// its window being destroyed, so the shutdown steps run now.
void onEndSession();
// The end of the main window's destruction (WM_NCDESTROY): ends the main loop
// once it has been entered.
void onMainWindowDestroyed();

// GetMessageA/TranslateMessage/DispatchMessageA until WM_QUIT, offering each
// message to the window's pre-translation first. Answers WM_QUIT's wParam.
int RunMainLoop();
