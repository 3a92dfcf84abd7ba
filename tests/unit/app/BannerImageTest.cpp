#include "app/BannerImage.h"

#include "PngBuilder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

using pngtest::Bytes;
using pngtest::Image;

namespace {

std::string describe(const Bounds& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}

TEST(BannerFit, PlacesPictureCentredAndNeverEnlarged) {
    struct Case {
        const char* what;
        int cw, ch, iw, ih;
        Bounds expected;
    };
    const std::vector<Case> cases = {
        {"the banner in its 400 x 80 box at 96 DPI", 400, 80, 2148, 971, {112, 0, 176, 80}},
        {"smaller picture is centred at its own size", 400, 80, 100, 50, {150, 15, 100, 50}},
        {"odd leftover space truncates the offset", 401, 81, 100, 50, {150, 15, 100, 50}},
        {"picture exactly the box size", 400, 80, 400, 80, {0, 0, 400, 80}},
        {"1 x 1 picture in the middle", 400, 80, 1, 1, {199, 39, 1, 1}},
        {"wide picture, height fits: scaled by width", 400, 80, 1000, 20, {0, 36, 400, 8}},
        {"tall picture, width fits: scaled by height", 400, 80, 50, 400, {195, 0, 10, 80}},
        {"larger both ways, width limits", 100, 100, 400, 200, {0, 25, 100, 50}},
        {"larger both ways, height limits", 100, 100, 200, 400, {25, 0, 50, 100}},
        {"scaled size truncates", 100, 100, 300, 299, {0, 0, 100, 99}},
        {"empty picture draws nothing", 400, 80, 0, 0, {0, 0, 0, 0}},
        {"empty box draws nothing", 0, 0, 2148, 971, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bounds got = FitBanner(c.cw, c.ch, c.iw, c.ih);
        EXPECT_EQ(got, c.expected) << describe(got);
    }
}

struct GoodCase {
    const char* what;
    Image image;
    Bytes expectedBgra;
};

TEST(BannerDecode, ConvertsEveryFormatToStraightBgra) {
    const std::vector<GoodCase> cases = {
        {"RGBA 8", pngtest::picture(2, 1, 8, 6, {10, 20, 30, 40, 50, 60, 70, 255}),
         {30, 20, 10, 40, 70, 60, 50, 255}},
        {"RGB 8 gets opaque alpha", pngtest::picture(2, 1, 8, 2, {10, 20, 30, 40, 50, 60}),
         {30, 20, 10, 255, 60, 50, 40, 255}},
        {"RGB 8 with a colour key", pngtest::picture(2, 1, 8, 2, {10, 20, 30, 40, 50, 60}, {}, {0, 40, 0, 50, 0, 60}),
         {30, 20, 10, 255, 60, 50, 40, 0}},
        {"gray 8", pngtest::picture(2, 1, 8, 0, {0, 200}), {0, 0, 0, 255, 200, 200, 200, 255}},
        {"gray 1", pngtest::picture(3, 1, 1, 0, {0xA0}), {255, 255, 255, 255, 0, 0, 0, 255, 255, 255, 255, 255}},
        {"gray + alpha 8", pngtest::picture(1, 1, 8, 4, {90, 128}), {90, 90, 90, 128}},
        {"gray + alpha 16 keeps the high bytes", pngtest::picture(1, 1, 16, 4, {0x12, 0x34, 0x80, 0x00}),
         {0x12, 0x12, 0x12, 0x80}},
        {"RGBA 16 keeps the high bytes", pngtest::picture(1, 1, 16, 6, {1, 0xFF, 2, 0xFF, 3, 0xFF, 4, 0xFF}),
         {3, 2, 1, 4}},
        {"palette 8 with transparency", pngtest::picture(2, 1, 8, 3, {1, 0}, {1, 2, 3, 4, 5, 6}, {0x11}),
         {6, 5, 4, 255, 3, 2, 1, 0x11}},
        {"palette 2", pngtest::picture(3, 1, 2, 3, {0x24}, {1, 2, 3, 4, 5, 6, 7, 8, 9}),
         {3, 2, 1, 255, 9, 8, 7, 255, 6, 5, 4, 255}},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes file = pngtest::encode(c.image);
        const auto decoded = DecodeBannerPng(file.data(), file.size());
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->width, static_cast<int>(c.image.width));
        EXPECT_EQ(decoded->height, static_cast<int>(c.image.height));
        EXPECT_EQ(decoded->bgra, c.expectedBgra);
    }
}

TEST(BannerDecode, InterlacedPictureComesOutInRowOrder) {
    Image image = pngtest::picture(5, 4, 8, 6, {}, {}, {}, true);
    for (std::uint8_t i = 0; i < 20; ++i) image.pixels.insert(image.pixels.end(), {i, static_cast<std::uint8_t>(100 + i), 7, 255});
    const Bytes file = pngtest::encode(image);
    const auto decoded = DecodeBannerPng(file.data(), file.size());
    ASSERT_TRUE(decoded.has_value());
    ASSERT_EQ(decoded->bgra.size(), 80u);
    for (std::size_t i = 0; i < 20; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(decoded->bgra[i * 4 + 2], i);       // red
        EXPECT_EQ(decoded->bgra[i * 4 + 1], 100 + i); // green
    }
}

Bytes withByteFlipped(Bytes b, std::size_t at) {
    b.at(at) ^= 0x5A;
    return b;
}

Bytes truncated(Bytes b, std::size_t keep) {
    b.resize(keep);
    return b;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes zeros(std::size_t n) { return Bytes(n, 0); }

// A complete file with a valid stream for the given header, so only the size
// is wrong with it. Rows are all zero: one filter byte and zero pixels each.
Bytes blankPicture(std::uint32_t width, std::uint32_t height, std::uint8_t depth, std::uint8_t colorType) {
    const Image image = pngtest::picture(width, height, depth, colorType, {});
    const std::size_t row = pngtest::rowBytes(image, width) + 1;
    return concat({pngtest::signature(), pngtest::header(width, height, depth, colorType),
                   pngtest::chunk("IDAT", pngtest::deflate(zeros(row * height))), pngtest::chunk("IEND", {})});
}

TEST(BannerDecode, RefusesBrokenFilesWholly) {
    const Image small = pngtest::picture(4, 4, 8, 6, Bytes(64, 0x80));
    const Bytes good = pngtest::encode(small);
    ASSERT_TRUE(DecodeBannerPng(good.data(), good.size()).has_value());
    const std::size_t ihdrCrc = 8 + 8 + 13;        // signature, length and type, data
    const std::size_t idatData = 8 + 25 + 8;       // after IHDR, the IDAT length and type
    const Bytes deflated = pngtest::deflate(pngtest::scanlines(small));
    Bytes brokenDeflate = deflated;
    brokenDeflate[2] ^= 0xFF;

    struct Case {
        const char* what;
        Bytes file;
    };
    const std::vector<Case> cases = {
        {"nothing", {}},
        {"half a signature", truncated(good, 4)},
        {"not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}},
        {"signature only", truncated(good, 8)},
        {"cut inside IHDR", truncated(good, 20)},
        {"cut after IHDR", truncated(good, 33)},
        {"cut inside IDAT", truncated(good, idatData + 5)},
        {"IEND missing", truncated(good, good.size() - 12)},
        {"IHDR checksum wrong", withByteFlipped(good, ihdrCrc)},
        {"IDAT checksum wrong", withByteFlipped(good, good.size() - 12 - 1)},
        {"IDAT stream corrupt, checksum right", pngtest::encode(small, brokenDeflate)},
        {"too few rows of data",
         pngtest::encode(small, pngtest::deflate(truncated(pngtest::scanlines(small), 2 * 17)))},
        {"no IDAT at all", concat({pngtest::signature(), pngtest::header(4, 4, 8, 6), pngtest::chunk("IEND", {})})},
        {"zero width", blankPicture(0, 4, 8, 6)},
        {"zero height", blankPicture(4, 0, 8, 6)},
        {"bit depth not allowed for RGBA", blankPicture(4, 4, 4, 6)},
        {"unknown colour type", blankPicture(4, 4, 8, 5)},
        {"palette picture without a palette", blankPicture(4, 4, 8, 3)},
        {"one side over the limit", blankPicture(16385, 1, 8, 0)},
        {"declared size far beyond anything", concat({pngtest::signature(), pngtest::header(100000, 100000, 8, 6),
                                                      pngtest::chunk("IEND", {})})},
        {"width past 2^31", concat({pngtest::signature(), pngtest::header(0x80000001u, 1, 8, 6),
                                    pngtest::chunk("IEND", {})})},
        {"text chunk declaring 384 MiB, data missing",
         concat({pngtest::signature(), pngtest::header(4, 4, 8, 6),
                 Bytes{0x18, 0, 0, 0, 'i', 'T', 'X', 't', 'x', 0x9C}})},
        {"unknown chunk declaring 2 GiB, data missing",
         concat({pngtest::signature(), pngtest::header(4, 4, 8, 6),
                 Bytes{0x7F, 0xFF, 0xFF, 0xFF, 'p', 'r', 'I', 'v', 1, 2, 3}})},
        // Within the side limit, but 4096 x 4097 x 4 bytes is past the 64 MiB cap.
        {"pixel memory over the cap", blankPicture(4096, 4097, 8, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_FALSE(DecodeBannerPng(c.file.data(), c.file.size()).has_value());
    }
    EXPECT_FALSE(DecodeBannerPng(nullptr, 100).has_value());
}

TEST(BannerDecode, SkipsChunksItHasNoUseFor) {
    const Image image = pngtest::picture(2, 1, 8, 6, {10, 20, 30, 40, 50, 60, 70, 255});
    const Bytes plain = pngtest::encode(image);
    const std::size_t afterHeader = 8 + 25;
    Bytes text(20, 'x');
    Bytes brokenProfile = {'p', 0, 0, 0xFF, 0xFF, 0xFF};  // a name, then no valid zlib stream
    const Bytes extras = concat({pngtest::chunk("tEXt", concat({Bytes{'C', 0}, text})),
                                 pngtest::chunk("gAMA", {0, 0, 0xB1, 0x8F}),
                                 pngtest::chunk("iCCP", brokenProfile),
                                 pngtest::chunk("prIv", Bytes(3u << 20, 7))});  // 3 MiB of a private chunk
    Bytes file(plain.begin(), plain.begin() + afterHeader);
    file.insert(file.end(), extras.begin(), extras.end());
    file.insert(file.end(), plain.begin() + afterHeader, plain.end());
    const auto decoded = DecodeBannerPng(file.data(), file.size());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->bgra, (Bytes{30, 20, 10, 40, 70, 60, 50, 255}));
}

TEST(BannerDecode, AcceptsPicturesAtTheLimits) {
    struct Case {
        const char* what;
        std::uint32_t width, height;
    };
    const std::vector<Case> cases = {
        {"longest side allowed", 16384, 1},
        {"tallest side allowed", 1, 16384},
        {"1 x 1", 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Bytes file = blankPicture(c.width, c.height, 8, 0);
        const auto decoded = DecodeBannerPng(file.data(), file.size());
        ASSERT_TRUE(decoded.has_value());
        EXPECT_EQ(decoded->bgra.size(), std::size_t{c.width} * c.height * 4);
    }
}

TEST(BannerDecode, ShippedBannerIsTheRightSizeWithRealTransparency) {
    std::ifstream in(KESTROVA_BANNER_PNG, std::ios::binary);
    ASSERT_TRUE(in) << KESTROVA_BANNER_PNG;
    const Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto decoded = DecodeBannerPng(file.data(), file.size());
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, 2148);
    EXPECT_EQ(decoded->height, 971);
    std::size_t transparent = 0, opaque = 0, between = 0;
    for (std::size_t i = 3; i < decoded->bgra.size(); i += 4) {
        const std::uint8_t a = decoded->bgra[i];
        (a == 0 ? transparent : a == 255 ? opaque : between)++;
    }
    // Transparent background, solid artwork, and soft edges and shading between.
    EXPECT_GT(transparent, 0u);
    EXPECT_GT(opaque, 0u);
    EXPECT_GT(between, 1000u);
    EXPECT_EQ(decoded->bgra[3], 0) << "the top-left corner is background";
}

}  // namespace
