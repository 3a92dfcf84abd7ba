// Painting the banner under Wine, timed with the performance counter: the
// first paint (which decodes the picture, reduces it to its fit and blends it
// onto the button face), later paints (cached blend), a paint after the
// button face colour changed, and one after the box changed size (a new
// decode). Prints milliseconds; asserts nothing.
#include "app/BannerImageWin.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename F>
double timeMs(F&& f) {
    const double start = nowMs();
    f();
    return nowMs() - start;
}

void printSeries(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %7.3f ms  min %7.3f ms  max %7.3f ms  (%zu runs)\n", what, ms[ms.size() / 2], ms.front(),
                ms.back(), ms.size());
}

}  // namespace

int main() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterBannerClass(instance);
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 500, 200, nullptr, nullptr, instance,
                                  nullptr);
    HWND banner = CreateWindowExA(0, bannerClassName, "", WS_CHILD | WS_VISIBLE, 0, 10, 400, 80, parent, nullptr,
                                  instance, nullptr);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, 400, 80);
    HGDIOBJ old = SelectObject(dc, target);
    auto paint = [&] { SendMessageA(banner, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT); GdiFlush(); };

    std::printf("%-44s %7.3f ms\n", "first paint (decode, reduce, blend, copy)", timeMs(paint));
    std::vector<double> cached;
    for (int i = 0; i < 50; ++i) cached.push_back(timeMs(paint));
    printSeries("later paints (cached blend)", cached);

    const int element = COLOR_BTNFACE;
    const COLORREF original = GetSysColor(COLOR_BTNFACE);
    std::vector<double> recolour;
    for (int i = 0; i < 5; ++i) {
        const COLORREF colour = RGB(200 + i, 220, 240);
        SetSysColors(1, &element, &colour);
        recolour.push_back(timeMs(paint));
    }
    SetSysColors(1, &element, &original);
    printSeries("paint after a button-face colour change", recolour);

    std::vector<double> resized;
    for (int i = 0; i < 5; ++i) {
        SetWindowPos(banner, nullptr, 0, 0, 400 + 100 * (i % 2), 80 + 20 * (i % 2), SWP_NOMOVE | SWP_NOZORDER);
        resized.push_back(timeMs(paint));
    }
    printSeries("paint after the box changed size (decode)", resized);

    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DestroyWindow(parent);
    return 0;
}
