#pragma once
// The banner picture without Windows: decoding the PNG and the rectangle it
// is drawn into.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Bounds.h"

// Decoded pixels: width x height, rows top-down, 4 bytes each in the order
// blue, green, red, alpha; alpha is straight (colours are not premultiplied).
struct BannerPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
};

// Pictures beyond these limits are refused before any pixel memory is taken.
constexpr std::uint32_t bannerMaxSide = 16384;
constexpr std::uint64_t bannerMaxBytes = 64ull * 1024 * 1024;

// Decodes a PNG held in memory. Every colour type and bit depth is converted to
// 8-bit BGRA. Anything that cannot be decoded completely (truncated, corrupt,
// zero or oversized dimensions) gives no picture at all.
std::optional<BannerPixels> DecodeBannerPng(const std::uint8_t* data, std::size_t size);

// Where a picture of imageWidth x imageHeight goes in a client area of
// clientWidth x clientHeight: centred, scaled down proportionally when it is
// larger, never enlarged. An empty picture or area gives an empty rectangle.
Bounds FitBanner(int clientWidth, int clientHeight, int imageWidth, int imageHeight);
