#include "app/BannerImageWin.h"

#include "app/BannerImage.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <optional>
#include <utility>

const char bannerClassName[] = "KestrovaBanner";

namespace {

// The decoded picture and, cached, its blend onto one background colour: the
// blend touches every pixel, so it is redone only when the colour changes.
struct BannerState {
    bool loadAttempted = false;
    std::optional<BannerPixels> picture;
    UniqueBitmap blended;
    COLORREF blendedOn = 0;
};

BannerState& banner() {
    static BannerState state;
    return state;
}

HBITMAP blendedBitmap(COLORREF background) {
    BannerState& state = banner();
    if (!state.picture) return nullptr;
    if (state.blended && state.blendedOn == background) return state.blended.get();
    state.blended.reset();

    const BannerPixels& picture = *state.picture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down, as decoded
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return nullptr;
    BlendBanner(picture, GetRValue(background), GetGValue(background), GetBValue(background),
                static_cast<std::uint8_t*>(bits));
    state.blended = std::move(bitmap);
    state.blendedOn = background;
    return state.blended.get();
}

int stretchMode() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) && mode.dmBitsPerPel > 16) return HALFTONE;
    return COLORONCOLOR;
}

void paint(HWND window, HDC dc) {
    ScopedSaveDC saved(dc);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    const BannerState& state = banner();
    if (!state.picture) return;
    const int iw = state.picture->width, ih = state.picture->height;
    const Bounds fit = FitBanner(client.right, client.bottom, iw, ih);
    if (fit.width <= 0 || fit.height <= 0) return;
    HBITMAP bitmap = blendedBitmap(GetSysColor(COLOR_BTNFACE));
    if (!bitmap) return;

    UniqueMemoryDC source(CreateCompatibleDC(dc));
    if (!source) return;
    ScopedSelect select(source.get(), bitmap);
    const int mode = stretchMode();
    SetStretchBltMode(dc, mode);
    // HALFTONE needs the brush origin set again after the mode changes.
    if (mode == HALFTONE) SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, fit.left, fit.top, fit.width, fit.height, source.get(), 0, 0, iw, ih, SRCCOPY);
}

void onPaint(HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (dc) paint(window, dc);
    EndPaint(window, &ps);
}

LRESULT CALLBACK bannerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: onPaint(window); return 0;
    case WM_PRINTCLIENT: paint(window, reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the whole client area
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void RegisterBannerClass(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;  // the fit depends on the whole size
    wc.lpfnWndProc = bannerProc;
    wc.hInstance = instance;
    wc.lpszClassName = bannerClassName;
    RegisterClassOnce(wc);
}

bool LoadBannerPictureFrom(const unsigned char* png, std::size_t size) {
    BannerState& state = banner();
    state.blended.reset();
    state.picture = DecodeBannerPng(png, size);
    return state.picture.has_value();
}

void LoadBannerPicture() {
    if (banner().loadAttempted) return;
    banner().loadAttempted = true;
    const std::string_view png = ResourceBytes(GetModuleHandleA(nullptr), "BANNER_PNG", RT_RCDATA);
    if (png.empty()) return;
    LoadBannerPictureFrom(reinterpret_cast<const unsigned char*>(png.data()), png.size());
}
