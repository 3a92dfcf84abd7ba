#pragma once
// The banner picture box: a window class of its own that paints the banner
// picture, fitted and blended onto the button face. It paints for WM_PAINT
// and, the same way, into the DC that WM_PRINTCLIENT passes.
//
// The picture is decoded only when a paint first needs it, reduced at once to
// the size it is shown at, and the full-size one dropped: a program that is
// never shown decodes nothing, and one that was shown keeps kilobytes, not the
// megabytes of the decoded picture.
#include <windows.h>

#include "app/BannerImage.h"

#include <optional>

extern const char bannerClassName[];
// Registers the class once; the window creates the banner with it.
void RegisterBannerClass(HINSTANCE instance);

// Where the banner's picture comes from. A paint asks for it when it holds no
// picture of the size it draws: the first time, and again only if the box's
// size changes. Once it has failed, nothing asks again and the banner shows
// only its background.
struct BannerSource {
    std::optional<BannerPixels> (*decode)();
};
// The program's own: the PNG in the resources (RCDATA "BANNER_PNG").
std::optional<BannerPixels> DecodeResourceBanner();
// Replaces the source and forgets all that came from the previous one, a
// failure too. Tests give pictures of their own, or count the decodes.
void SetBannerSource(BannerSource source);
