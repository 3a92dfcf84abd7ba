// Any bytes into the banner decoder: it must give a picture or nothing, never
// crash, read out of bounds or leak, whatever libpng makes of the input. What
// it gives then goes the way a paint takes it: fitted, reduced, blended.
#include "app/BannerImage.h"
#include "app/BannerScale.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto picture = DecodeBannerPng(data, size);
    if (picture) {
        const std::size_t expected = std::size_t(picture->width) * std::size_t(picture->height) * 4;
        if (picture->width <= 0 || picture->height <= 0 || picture->bgra.size() != expected) std::abort();
        const Bounds fit = FitBanner(400, 80, picture->width, picture->height);
        if (fit.width < 0 || fit.height < 0 || fit.width > 400 || fit.height > 80) std::abort();
        const PremultipliedPixels small = ScaleBanner(*picture, fit.width, fit.height);
        if (small.bgra.size() != std::size_t(fit.width) * std::size_t(fit.height) * 4) std::abort();
        for (std::size_t i = 0; i < small.bgra.size(); i += 4) {
            const std::uint8_t a = small.bgra[i + 3];
            if (small.bgra[i] > a || small.bgra[i + 1] > a || small.bgra[i + 2] > a) std::abort();
        }
        std::vector<std::uint8_t> out(small.bgra.size());
        BlendBanner(small, 240, 240, 240, out.data());
    }
    return 0;
}
