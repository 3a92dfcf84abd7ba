// The property operations that know the main window and its controls: font
// size and text.
#include <map>
#include <vector>

#include "app/DelayBox.h"
#include "app/WindowState.h"
#include "platform/Window.h"
#include "scaling/DpiMath.h"

using namespace window_detail;

namespace {

struct StoredFont {
    LOGFONTA logFont{};
    UniqueFont font;  // null for the label, which makes its font at each paint
};

std::map<HWND, StoredFont>& StoredFonts() {
    static std::map<HWND, StoredFont> fonts;
    return fonts;
}

int ScreenPixelsPerInchY() {
    ScopedGetDC screen(nullptr);
    return screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
}

LOGFONTA CurrentLogFont(HWND w) {
    if (const LOGFONTA* stored = StoredLogFont(w)) return *stored;
    LOGFONTA font{};
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

}  // namespace

namespace window_detail {

const LOGFONTA* StoredLogFont(HWND w) {
    const auto it = StoredFonts().find(w);
    return it == StoredFonts().end() ? nullptr : &it->second.logFont;
}

HFONT CreateFontFrom(const LOGFONTA& stored) {
    LOGFONTA font = stored;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = PROOF_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    return CreateFontIndirectA(&font);
}

void ReleaseStoredFonts() { StoredFonts().clear(); }

}  // namespace window_detail

int GetFontPointSize(HWND w) {
    const LOGFONTA font = CurrentLogFont(w);
    return FontPointsFromHeight(font.lfHeight, ScreenPixelsPerInchY());
}

void SetFontPointSize(HWND w, int size) {
    if (!w) return;
    LOGFONTA logFont = CurrentLogFont(w);
    logFont.lfHeight = FontHeightFromPoints(size, ScreenPixelsPerInchY());
    StoredFont& stored = StoredFonts()[w];
    stored.logFont = logFont;

    if (w == Control(ControlId::DelayLabel)) {
        InvalidateRect(w, nullptr, TRUE);
        return;
    }
    if (w == Control(ControlId::DelayBox)) {
        // The box owns its font and keeps its minimum height for it.
        ApplyDelayBoxFont(w, CreateFontFrom(logFont));
        return;
    }
    UniqueFont font(CreateFontFrom(logFont));
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    // Only now is the previous font out of use.
    stored.font = std::move(font);
}

void SetControlText(HWND w, const char* text) {
    WindowState& s = State();
    ++s.textChangeSuppressed;
    SetWindowTextA(w, text ? text : "");
    --s.textChangeSuppressed;
    RaiseTextChanged(w);
}
