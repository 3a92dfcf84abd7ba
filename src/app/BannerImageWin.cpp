#include "app/BannerImageWin.h"

#include "app/BannerScale.h"
#include "platform/UniqueHandle.h"
#include "platform/Window.h"

#include <utility>

const char bannerClassName[] = "KestrovaBanner";

namespace {

// The picture at the size it is drawn, premultiplied, and, cached, its blend
// onto one background colour: redone only when the colour changes.
struct BannerState {
    BannerSource source{&DecodeResourceBanner};
    bool decodeFailed = false;
    int pictureWidth = 0;  // of the full-size picture; 0 until it was decoded once
    int pictureHeight = 0;
    PremultipliedPixels shown;
    UniqueBitmap blended;
    COLORREF blendedOn = 0;
};

BannerState& banner() {
    static BannerState state;
    return state;
}

std::optional<BannerPixels> decode() {
    BannerState& state = banner();
    std::optional<BannerPixels> picture = state.source.decode ? state.source.decode() : std::nullopt;
    if (!picture) {
        state.decodeFailed = true;
        state.shown = {};
        state.blended.reset();
        return picture;
    }
    state.pictureWidth = picture->width;
    state.pictureHeight = picture->height;
    return picture;
}

// Where the picture goes in a client area of that size; decodes the picture
// and reduces it when none of the fit's size is held. The full-size picture
// lives only inside this call. An empty rectangle when there is nothing to draw.
Bounds prepare(int clientWidth, int clientHeight) {
    BannerState& state = banner();
    if (state.decodeFailed || clientWidth <= 0 || clientHeight <= 0) return {0, 0, 0, 0};
    std::optional<BannerPixels> picture;
    if (state.pictureWidth == 0 && !(picture = decode())) return {0, 0, 0, 0};
    Bounds fit = FitBanner(clientWidth, clientHeight, state.pictureWidth, state.pictureHeight);
    if (fit.width <= 0 || fit.height <= 0) return {0, 0, 0, 0};
    if (fit.width == state.shown.width && fit.height == state.shown.height) return fit;

    // The box changed size since the picture was reduced: from a new decode,
    // as a reduction of the reduced picture would blur it twice.
    if (!picture) {
        if (!(picture = decode())) return {0, 0, 0, 0};
        fit = FitBanner(clientWidth, clientHeight, state.pictureWidth, state.pictureHeight);
        if (fit.width <= 0 || fit.height <= 0) return {0, 0, 0, 0};
    }
    state.blended.reset();
    state.shown = ScaleBanner(*picture, fit.width, fit.height);
    return state.shown.bgra.empty() ? Bounds{0, 0, 0, 0} : fit;
}

HBITMAP blendedBitmap(COLORREF background) {
    BannerState& state = banner();
    if (state.blended && state.blendedOn == background) return state.blended.get();
    state.blended.reset();

    const PremultipliedPixels& picture = state.shown;
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


void paint(HWND window, HDC dc) {
    ScopedSaveDC saved(dc);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));

    const Bounds fit = prepare(client.right, client.bottom);
    if (fit.width <= 0 || fit.height <= 0) return;
    HBITMAP bitmap = blendedBitmap(GetSysColor(COLOR_BTNFACE));
    if (!bitmap) return;

    UniqueMemoryDC source(CreateCompatibleDC(dc));
    if (!source) return;
    ScopedSelect select(source.get(), bitmap);
    // Already at its size: copied pixel for pixel, no stretching.
    BitBlt(dc, fit.left, fit.top, fit.width, fit.height, source.get(), 0, 0, SRCCOPY);
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

std::optional<BannerPixels> DecodeResourceBanner() {
    const std::string_view png = ResourceBytes(GetModuleHandleA(nullptr), "BANNER_PNG", RT_RCDATA);
    if (png.empty()) return std::nullopt;
    return DecodeBannerPng(reinterpret_cast<const std::uint8_t*>(png.data()), png.size());
}

void SetBannerSource(BannerSource source) {
    BannerState& state = banner();
    state = BannerState{};
    state.source = source;
}
