#pragma once
// The delay box's own behaviour on top of an EDIT control: the typing filter,
// the tidy-up on losing the focus, the spin buttons and the minimum height.
#include <windows.h>
#include <commctrl.h>

// Called once by the window after it created the box (hidden, with its font):
// subclasses it, creates its "msctls_updown32" sibling with the range 1..1000,
// sets EM_LIMITTEXT 0, EM_SETSEL(0, 0) and EM_SCROLLCARET, and keeps the
// minimum height for the box's current font.
void AttachDelayBox(HWND box);
// The box's spin buttons; null when the box was not attached.
HWND DelayBoxSpinButtons(HWND box);
// The window forwards the box's EN_KILLFOCUS here.
void onDelayBoxKillFocus(HWND box);
// The window forwards WM_NOTIFY UDN_DELTAPOS from the spin buttons here; the
// result is the notification's answer.
LRESULT onDelayBoxDeltaPos(HWND box, const NMUPDOWN* change);
// Gives the box a new font (null: the stock DEFAULT_GUI_FONT) and keeps its
// minimum height for it. An attached box owns a non-null font from then on and
// deletes it when the next one is applied or the box is destroyed. A box that
// was never attached is left as it is, and the font is deleted at once.
void ApplyDelayBoxFont(HWND box, HFONT font);
