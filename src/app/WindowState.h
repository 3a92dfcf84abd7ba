#pragma once
// What the window's source files share: the one main window's state. Private to
// the window; other areas use MainWindow.h.
#include <atomic>

#include "app/MainWindow.h"
#include "platform/UniqueHandle.h"

namespace window_detail {

constexpr int controlCount = static_cast<int>(ControlId::Count);
// Child-window identifiers; kept below 20000, where menu commands begin.
constexpr int firstControlIdentifier = 1000;

struct WindowState {
    HWND window = nullptr;
    // The thread that created the window, stored before any worker starts. The
    // pre-translation reads it on whichever thread pumps, so it is atomic.
    std::atomic<DWORD> uiThread{0};
    HWND controls[controlCount] = {};
    MainWindowEvents events;
    // Control events are held back until onCreated is raised.
    bool eventsFlowing = false;
    // Above zero while SetControlText writes a text, whose own change
    // notification is not passed on.
    int textChangeSuppressed = 0;
    bool destroyPending = false;
    UniqueMenu menuBar;
    UniqueIcon bigIcon;
    UniqueIcon smallIcon;
};

WindowState& State();

inline HWND Control(ControlId id) { return State().controls[static_cast<int>(id)]; }

// Creates the seven controls from their table, hidden, then shows them.
void CreateControls(HWND window);
// Raises the text-changed event of a control, if it has one and events flow.
void RaiseTextChanged(HWND control);

// The logical font SetFontPointSize stored for a window; null when none.
const LOGFONTA* StoredLogFont(HWND w);
// A font made from a logical font the way SetFontPointSize makes it.
HFONT CreateFontFrom(const LOGFONTA& font);
// Forgets and deletes the fonts of the window and its controls.
void ReleaseStoredFonts();

}  // namespace window_detail
