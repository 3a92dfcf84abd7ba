// Kestrova without the watch of its hook, for the benchmark that sets the
// watch's processor time per keystroke beside the shipped program's: these
// replace the registration of raw input and session notifications, so no
// WM_INPUT reaches the window and no check is ever armed. Everything else is
// the shipped program's own code. Never shipped.
#include "keymap/KeyboardHook.h"

void WatchKeyboardInput(HWND) {}
void UnwatchKeyboardInput(HWND) {}
