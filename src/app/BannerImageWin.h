#pragma once
// The banner picture box: a window class of its own that paints the decoded
// banner picture, fitted and blended onto the button face. It paints for
// WM_PAINT and, the same way, into the DC that WM_PRINTCLIENT passes.
#include <windows.h>

#include <cstddef>

extern const char bannerClassName[];
// Registers the class once; the window creates the banner with it.
void RegisterBannerClass(HINSTANCE instance);
// Decodes the banner picture from the resources (RCDATA "BANNER_PNG"), once;
// later calls do nothing. Without a decodable picture the banner shows only
// its background.
void LoadBannerPicture();
// Replaces the picture with one decoded from PNG bytes; false, and no picture,
// when they cannot be decoded. LoadBannerPicture uses it; tests call it with
// pictures of their own.
bool LoadBannerPictureFrom(const unsigned char* png, std::size_t size);
