#pragma once
// The banner picture box: a window class of its own that paints the decoded
// banner picture, fitted and blended onto the button face.
#include <windows.h>

extern const char bannerClassName[];
// Registers the class once; the window creates the banner with it.
void RegisterBannerClass(HINSTANCE instance);
// Decodes the banner picture from the resources, once.
void LoadBannerPicture();
