#pragma once
// Builds PNG files byte by byte for the decoder's tests: any colour type and
// depth, optional PLTE and tRNS, Adam7 interlacing, and helpers to break them.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pngtest {

using Bytes = std::vector<std::uint8_t>;

struct Image {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 8;
    std::uint8_t colorType = 6;  // 0 gray, 2 RGB, 3 palette, 4 gray+alpha, 6 RGBA
    bool interlaced = false;
    Bytes pixels;  // packed rows as the format stores them, without filter bytes
    Bytes palette;
    Bytes transparency;
};

inline Image picture(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colorType,
                     Bytes pixels, Bytes palette = {}, Bytes transparency = {}, bool interlaced = false) {
    Image image;
    image.width = width;
    image.height = height;
    image.bitDepth = bitDepth;
    image.colorType = colorType;
    image.interlaced = interlaced;
    image.pixels = std::move(pixels);
    image.palette = std::move(palette);
    image.transparency = std::move(transparency);
    return image;
}

inline void putBigEndian(Bytes& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

inline Bytes chunk(const char* type, const Bytes& data) {
    Bytes out;
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    Bytes body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    putBigEndian(out, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    return out;
}

inline unsigned channels(std::uint8_t colorType) {
    switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

inline std::size_t rowBytes(const Image& image, std::uint32_t width) {
    return (std::size_t{width} * channels(image.colorType) * image.bitDepth + 7) / 8;
}

// The scanlines with a filter byte (none) each; Adam7 splits the picture into
// its seven passes first (whole-byte pixels only).
inline Bytes scanlines(const Image& image) {
    Bytes out;
    const std::size_t stride = rowBytes(image, image.width);
    if (!image.interlaced) {
        for (std::uint32_t y = 0; y < image.height; ++y) {
            out.push_back(0);
            const auto begin = image.pixels.begin() + static_cast<std::ptrdiff_t>(y * stride);
            out.insert(out.end(), begin, begin + static_cast<std::ptrdiff_t>(stride));
        }
        return out;
    }
    static const int pass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                   {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const std::size_t pixelBytes = channels(image.colorType) * image.bitDepth / 8;
    for (const auto& p : pass) {
        for (std::uint32_t y = static_cast<std::uint32_t>(p[1]); y < image.height; y += static_cast<std::uint32_t>(p[3])) {
            if (static_cast<std::uint32_t>(p[0]) >= image.width) break;
            out.push_back(0);
            for (std::uint32_t x = static_cast<std::uint32_t>(p[0]); x < image.width; x += static_cast<std::uint32_t>(p[2])) {
                const std::size_t at = y * stride + x * pixelBytes;
                out.insert(out.end(), image.pixels.begin() + static_cast<std::ptrdiff_t>(at),
                           image.pixels.begin() + static_cast<std::ptrdiff_t>(at + pixelBytes));
            }
        }
    }
    return out;
}

inline Bytes deflate(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

inline Bytes header(std::uint32_t width, std::uint32_t height, std::uint8_t bitDepth, std::uint8_t colorType,
                    bool interlaced = false) {
    Bytes ihdr;
    putBigEndian(ihdr, width);
    putBigEndian(ihdr, height);
    ihdr.insert(ihdr.end(), {bitDepth, colorType, 0, 0, static_cast<std::uint8_t>(interlaced ? 1 : 0)});
    return chunk("IHDR", ihdr);
}

inline const Bytes& signature() {
    static const Bytes sig = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return sig;
}

// A file from its parts: the IHDR of image, then PLTE, tRNS, the given IDAT
// payload (deflated scanlines of image when empty) and IEND.
inline Bytes encode(const Image& image, const Bytes& idatPayload = {}) {
    Bytes out = signature();
    auto add = [&out](const Bytes& b) { out.insert(out.end(), b.begin(), b.end()); };
    add(header(image.width, image.height, image.bitDepth, image.colorType, image.interlaced));
    if (!image.palette.empty()) add(chunk("PLTE", image.palette));
    if (!image.transparency.empty()) add(chunk("tRNS", image.transparency));
    add(chunk("IDAT", idatPayload.empty() ? deflate(scanlines(image)) : idatPayload));
    add(chunk("IEND", {}));
    return out;
}

}  // namespace pngtest
