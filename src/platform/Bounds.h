#pragma once
// The one rectangle of the program: a position and a size. Plain integers, no
// windows.h, so the pure layers use it too.
#include <cstdint>

struct Bounds {
    int32_t left, top, width, height;
    bool operator==(const Bounds& o) const {
        return left == o.left && top == o.top && width == o.width && height == o.height;
    }
    bool operator!=(const Bounds& o) const { return !(*this == o); }
};
