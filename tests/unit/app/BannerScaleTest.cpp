#include "app/BannerScale.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

using Bytes = std::vector<std::uint8_t>;

BannerPixels pixelsOf(int width, int height, Bytes bgra) {
    BannerPixels p;
    p.width = width;
    p.height = height;
    p.bgra = std::move(bgra);
    return p;
}

// w x h copies of one pixel.
Bytes repeat(int count, Bytes pixel) {
    Bytes out;
    for (int i = 0; i < count; ++i) out.insert(out.end(), pixel.begin(), pixel.end());
    return out;
}

struct ScaleCase {
    const char* what;
    BannerPixels picture;
    int width, height;
    Bytes expected;  // premultiplied
};

TEST(BannerScale, ReducesByAreaAverageOnPremultipliedColours) {
    const std::vector<ScaleCase> cases = {
        {"a flat opaque colour stays flat", pixelsOf(5, 3, repeat(15, {10, 20, 30, 255})), 2, 2,
         repeat(4, {10, 20, 30, 255})},
        {"a flat translucent colour stays flat, premultiplied", pixelsOf(6, 4, repeat(24, {200, 100, 0, 128})), 3,
         1, repeat(3, {100, 50, 0, 128})},  // 200 * 128 / 255 = 100.4
        {"a transparent picture stays transparent, its colours gone",
         pixelsOf(4, 2, {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 9, 9, 9, 0,  //
                         1, 2, 3, 0, 255, 255, 255, 0, 7, 7, 7, 0, 0, 0, 0, 0}),
         2, 1, repeat(2, {0, 0, 0, 0})},
        // Averaged straight, the hidden red would come out at 128.
        {"a transparent red beside an opaque blue lends it no red",
         pixelsOf(2, 1, {0, 0, 255, 0, 255, 0, 0, 255}), 1, 1, {128, 0, 0, 128}},
        {"2:1 of a known pattern gives the means of its 2 x 2 blocks",
         pixelsOf(4, 2, {0, 0, 0, 255, 100, 40, 8, 255, 255, 255, 255, 255, 255, 255, 255, 0,  //
                         20, 0, 0, 255, 60, 40, 4, 255, 0, 0, 0, 255, 255, 255, 255, 255}),
         2, 1,
         {45, 20, 3, 255,        // (0+100+20+60)/4, (0+40+0+40)/4, (0+8+0+4)/4
          128, 128, 128, 191}},  // two opaque whites, an opaque black, a transparent white: 127.5 and 191.25
        {"3 to 2 splits the middle pixel between both", pixelsOf(3, 1, {0, 0, 0, 255, 90, 90, 90, 255,
                                                                       180, 180, 180, 255}),
         2, 1, {30, 30, 30, 255, 150, 150, 150, 255}},
        {"5 x 3 to 2 x 2, odd both ways",  // shares across 2, 2, 1 | 1, 2, 2; down 2, 1 | 1, 2
         pixelsOf(5, 3, {0, 0, 0, 255, 0, 0, 0, 255, 50, 0, 0, 255, 100, 0, 0, 255, 100, 0, 0, 255,  //
                         250, 0, 0, 255, 250, 0, 0, 255, 250, 0, 0, 255, 250, 0, 0, 255, 250, 0, 0, 255,  //
                         0, 0, 0, 255, 30, 0, 0, 255, 60, 0, 0, 255, 90, 0, 0, 255, 120, 0, 0, 255}),
         2, 2,
         // top left (2 * (2*0 + 2*0 + 1*50) + 1 * 5*250) / 15 = 90
         // top right (2 * (1*50 + 2*100 + 2*100) + 1250) / 15 = 143.3
         // bottom left (1250 + 2 * (2*0 + 2*30 + 1*60)) / 15 = 99.3
         // bottom right (1250 + 2 * (1*60 + 2*90 + 2*120)) / 15 = 147.3
         {90, 0, 0, 255, 143, 0, 0, 255, 99, 0, 0, 255, 147, 0, 0, 255}},
        {"a 1 x 1 target is the mean of all", pixelsOf(3, 2, {0, 0, 0, 255, 30, 0, 0, 255, 60, 0, 0, 255,  //
                                                            90, 0, 0, 255, 120, 0, 0, 255, 150, 0, 0, 0}),
         1, 1, {50, 0, 0, 213}},  // colour 300 / 6, alpha 1275 / 6 = 212.5
        {"a 1 x 1 picture to 1 x 1 only premultiplies", pixelsOf(1, 1, {255, 128, 1, 254}), 1, 1,
         {254, 127, 1, 254}},  // 128 x 254 / 255 = 127.498
        {"at its own size an opaque picture is unchanged",
         pixelsOf(3, 2, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 250, 251, 252, 255, 0, 0, 0, 255, 99, 0, 0, 255}),
         3, 2, {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 250, 251, 252, 255, 0, 0, 0, 255, 99, 0, 0, 255}},
        {"at its own size a translucent picture is only premultiplied",
         pixelsOf(2, 1, {255, 255, 255, 1, 100, 50, 10, 200}), 2, 1, {1, 1, 1, 1, 78, 39, 8, 200}},
        {"no width gives nothing", pixelsOf(2, 1, repeat(2, {1, 2, 3, 255})), 0, 1, {}},
        {"no height gives nothing", pixelsOf(2, 1, repeat(2, {1, 2, 3, 255})), 1, -1, {}},
        {"an empty picture gives nothing", pixelsOf(0, 0, {}), 1, 1, {}},
        {"pixels that do not match the size give nothing", pixelsOf(2, 2, repeat(3, {1, 2, 3, 255})), 1, 1, {}},
    };
    for (const ScaleCase& c : cases) {
        SCOPED_TRACE(c.what);
        const PremultipliedPixels got = ScaleBanner(c.picture, c.width, c.height);
        EXPECT_EQ(got.bgra, c.expected);
        if (!c.expected.empty()) {
            EXPECT_EQ(got.width, c.width);
            EXPECT_EQ(got.height, c.height);
        }
    }
}

TEST(BannerScale, ShippedBannerAtItsShownSizesKeepsEveryColourWithinItsAlpha) {
    std::ifstream file(KESTROVA_BANNER_PNG, std::ios::binary);
    const Bytes png{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    const auto decoded = DecodeBannerPng(png.data(), png.size());
    ASSERT_TRUE(decoded.has_value());
    // The fit rectangles at 96, 120 and 144 DPI.
    for (const auto& size : {std::pair{176, 80}, std::pair{221, 100}, std::pair{265, 120}}) {
        SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
        const PremultipliedPixels small = ScaleBanner(*decoded, size.first, size.second);
        ASSERT_EQ(small.bgra.size(), static_cast<std::size_t>(size.first * size.second * 4));
        int above = 0, translucent = 0, transparent = 0;
        for (std::size_t i = 0; i < small.bgra.size(); i += 4) {
            const std::uint8_t a = small.bgra[i + 3];
            above += small.bgra[i] > a || small.bgra[i + 1] > a || small.bgra[i + 2] > a;
            translucent += a > 0 && a < 255;
            transparent += a == 0;
        }
        EXPECT_EQ(above, 0);
        EXPECT_GT(translucent, 100);  // the edges and the bar: the case the invariant is about
        EXPECT_GT(transparent, 100);
    }
}

TEST(BannerBlend, PremultipliedChannelOverBackgroundTruncated) {
    struct Case {
        int p, alpha, k, expected;
    };
    const std::vector<Case> cases = {
        {0, 0, 0, 0},       {0, 0, 255, 255},   {0, 0, 100, 100},     // transparent: the background
        {128, 128, 0, 128}, {0, 128, 255, 127}, {100, 128, 100, 149},  // 100 + 100 * 127 / 255 = 149.8
        {254, 254, 0, 254}, {0, 254, 255, 1},   {199, 254, 100, 199},
        {255, 255, 0, 255}, {0, 255, 255, 0},   {200, 255, 100, 200},  // opaque: the picture
        {1, 1, 0, 1},       {0, 1, 255, 254},   {128, 128, 255, 255},  // never past white
        {200, 100, 255, 255},  // a colour above its alpha is clamped, not wrapped
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("p=" + std::to_string(c.p) + " alpha=" + std::to_string(c.alpha) + " k=" + std::to_string(c.k));
        EXPECT_EQ(BlendPremultiplied(static_cast<std::uint8_t>(c.p), static_cast<std::uint8_t>(c.alpha),
                                     static_cast<std::uint8_t>(c.k)),
                  c.expected);
    }
}

TEST(BannerBlend, PictureBlendsEveryPixelInBlueGreenRedOrderKeepingAlpha) {
    PremultipliedPixels picture;
    picture.width = 4;
    picture.height = 1;
    picture.bgra = {
        10, 20, 30, 255,  // opaque: as it is
        0, 0, 0, 0,       // transparent: the background
        0, 128, 0, 128,   // half: its own part plus the background's
        254, 254, 254, 254,
    };
    Bytes out(picture.bgra.size(), 0xEE);
    BlendBanner(picture, /*red*/ 200, /*green*/ 100, /*blue*/ 50, out.data());
    const Bytes expected = {
        10, 20, 30, 255,
        50, 100, 200, 0,
        24, 177, 99, 128,  // p + k * 127 / 255 per channel
        254, 254, 254, 254,
    };
    EXPECT_EQ(out, expected);
}

}  // namespace
