#pragma once
// The banner picture without Windows: decoding the PNG, the rectangle it is
// drawn into, and the blend of its translucent pixels onto a background colour.
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

// One colour channel c with alpha a over the background channel k:
// trunc(a / 255 * c + k * (1 - a / 255)), clamped to 0..255, computed exactly.
std::uint8_t BlendChannel(std::uint8_t c, std::uint8_t alpha, std::uint8_t k);

// Writes the picture blended onto the background (red, green, blue) into out,
// which holds as many bytes as pixels.bgra. Pixels with alpha 255 are copied
// unchanged; the others get each colour channel blended. Alpha is kept.
void BlendBanner(const BannerPixels& pixels, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                 std::uint8_t* out);
