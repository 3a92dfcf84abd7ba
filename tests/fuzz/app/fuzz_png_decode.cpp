// Any bytes into the banner decoder: it must give a picture or nothing, never
// crash, read out of bounds or leak, whatever libpng makes of the input.
#include "app/BannerImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto picture = DecodeBannerPng(data, size);
    if (picture) {
        const std::size_t expected = std::size_t(picture->width) * std::size_t(picture->height) * 4;
        if (picture->width <= 0 || picture->height <= 0 || picture->bgra.size() != expected) std::abort();
        // Blend and fit must take whatever was decoded.
        std::uint8_t* out = new std::uint8_t[expected];
        BlendBanner(*picture, 240, 240, 240, out);
        delete[] out;
        const Bounds fit = FitBanner(400, 80, picture->width, picture->height);
        if (fit.width < 0 || fit.height < 0 || fit.width > 400 || fit.height > 80) std::abort();
    }
    return 0;
}
