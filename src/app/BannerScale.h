#pragma once
// The banner at the size it is shown: the decoded picture reduced once to its
// fit rectangle, kept premultiplied, and blended from there onto a background.
#include "app/BannerImage.h"

#include <cstdint>
#include <vector>

// Pixels whose colours are premultiplied by their alpha: rows top-down, blue,
// green, red, alpha, and no colour above its alpha. A transparent pixel is all
// zero, whatever colour it had.
struct PremultipliedPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bgra;
};

// Reduces a straight-alpha picture to width x height by area averaging: each
// target pixel is the mean of the source area it covers, partly covered
// source pixels counted by the part they share. The colours are weighted by
// their alpha, so transparent pixels lend none of their colour to their
// neighbours. Rounded to nearest. A non-positive size or an empty picture
// gives an empty result.
PremultipliedPixels ScaleBanner(const BannerPixels& picture, int width, int height);

// One premultiplied colour channel p with alpha a over the background channel
// k: p + k * (255 - a) / 255, truncated. Never above 255, as p <= a.
std::uint8_t BlendPremultiplied(std::uint8_t p, std::uint8_t alpha, std::uint8_t k);

// Writes the picture blended onto the background (red, green, blue) into out,
// which holds as many bytes as pixels.bgra. Alpha is kept.
void BlendBanner(const PremultipliedPixels& pixels, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                 std::uint8_t* out);
