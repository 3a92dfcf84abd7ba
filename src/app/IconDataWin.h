#pragma once
// Icons made from the bytes of an icon file, and the application icon's bytes.
#include <windows.h>

#include <cstddef>
#include <string>

// An icon from the bytes of an icon file: the 32 x 32 image when large, else the
// 16 x 16 one; null on failure. The caller owns the icon.
HICON MakeIconFromData(const unsigned char* data, size_t size, bool large);
// The bytes of an icon file rebuilt from the application icon's group resource,
// with only the images MakeIconFromData picks from it, large or small: it makes
// from these bytes the icons it makes from the whole file. Built at the first
// call and kept.
const std::string& ApplicationIconData();
