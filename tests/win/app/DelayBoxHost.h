#pragma once
// A small top-level window holding a delay box as the settings window does:
// an EDIT with the same styles and place, attached, with its notifications
// forwarded, plus a second control to move the focus to. Counts EN_CHANGE.
#include "app/DelayBox.h"

#include <string>

class DelayBoxHost {
public:
    DelayBoxHost();
    ~DelayBoxHost();
    DelayBoxHost(const DelayBoxHost&) = delete;
    DelayBoxHost& operator=(const DelayBoxHost&) = delete;

    HWND window() const { return window_; }
    HWND box() const { return box_; }
    HWND other() const { return other_; }
    HWND spin() const { return DelayBoxSpinButtons(box_); }

    std::string text() const;
    void setText(const char* text);  // as code would, then forgets the change events
    int changes() const { return changes_; }
    void resetChanges() { changes_ = 0; }
    // The box's window rectangle in the host's client coordinates.
    RECT rectOf(HWND control) const;

private:
    static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
    static HWND sharedWindow();
    static DelayBoxHost* current;  // the one host whose controls are on the window
    HWND window_ = nullptr;
    HWND box_ = nullptr;
    HWND other_ = nullptr;
    int changes_ = 0;
};

// Delivers everything already posted to this thread.
void PumpMessages();
