#include "app/BannerScale.h"

#include <algorithm>

namespace {

// Along one axis, source pixel i covers [i * target, (i + 1) * target) and
// target pixel x covers [x * source, (x + 1) * source): in these units every
// edge falls on a whole number, so the share of each source pixel in a target
// pixel is an exact integer, and the shares of one target pixel add up to
// `source`. Both sides are at most 16384 (the decoder's limit), so every
// product here stays below 2^28.
struct Axis {
    std::uint32_t source, target;

    std::uint32_t first(std::uint32_t x) const { return x * source / target; }
    std::uint32_t last(std::uint32_t x) const { return ((x + 1) * source - 1) / target; }
    std::uint32_t share(std::uint32_t i, std::uint32_t x) const {
        return std::min((i + 1) * target, (x + 1) * source) - std::max(i * target, x * source);
    }
};

// One source row reduced along x, still in the units above: per target pixel
// the alpha-weighted blue, green and red and the alpha, each summed with the
// shares as weights. The shares of a target pixel add up to at most 16384, so
// a sum stays below 16384 * 255 * 255 < 2^32.
void reduceRow(const std::uint8_t* row, const Axis& axis, std::vector<std::uint32_t>& sums) {
    std::fill(sums.begin(), sums.end(), 0);
    for (std::uint32_t x = 0; x < axis.target; ++x) {
        std::uint32_t* out = &sums[x * 4];
        for (std::uint32_t i = axis.first(x), last = axis.last(x); i <= last; ++i) {
            const std::uint8_t* p = row + std::size_t{i} * 4;
            const std::uint32_t a = p[3];
            if (a == 0) continue;
            const std::uint32_t weight = axis.share(i, x) * a;
            out[0] += weight * p[0];
            out[1] += weight * p[1];
            out[2] += weight * p[2];
            out[3] += weight;
        }
    }
}

}  // namespace

PremultipliedPixels ScaleBanner(const BannerPixels& picture, int width, int height) {
    PremultipliedPixels out;
    if (width <= 0 || height <= 0 || picture.width <= 0 || picture.height <= 0 ||
        picture.bgra.size() != static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height) * 4) {
        return out;
    }
    if (picture.width > static_cast<int>(bannerMaxSide) || picture.height > static_cast<int>(bannerMaxSide) ||
        width > static_cast<int>(bannerMaxSide) || height > static_cast<int>(bannerMaxSide)) {
        return out;
    }
    const Axis across{static_cast<std::uint32_t>(picture.width), static_cast<std::uint32_t>(width)};
    const Axis down{static_cast<std::uint32_t>(picture.height), static_cast<std::uint32_t>(height)};
    out.width = width;
    out.height = height;
    out.bgra.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);

    // A target pixel's weights add up to `area`; its colour sums carry one more
    // factor 255 from the alpha they were weighted with. Sums stay below
    // 2^64: area <= 2^28 and each term at most 255 * 255.
    const std::uint64_t area = std::uint64_t{across.source} * down.source;
    const std::size_t stride = static_cast<std::size_t>(picture.width) * 4;
    std::vector<std::uint32_t> reduced(static_cast<std::size_t>(width) * 4);
    std::vector<std::uint64_t> sums(reduced.size());
    std::uint32_t reducedRow = ~std::uint32_t{0};  // a source row shared by two target rows is reduced once
    std::uint8_t* target = out.bgra.data();
    for (std::uint32_t y = 0; y < down.target; ++y) {
        std::fill(sums.begin(), sums.end(), 0);
        for (std::uint32_t j = down.first(y), last = down.last(y); j <= last; ++j) {
            if (j != reducedRow) {
                reduceRow(picture.bgra.data() + j * stride, across, reduced);
                reducedRow = j;
            }
            const std::uint64_t weight = down.share(j, y);
            for (std::size_t n = 0; n < sums.size(); ++n) sums[n] += weight * reduced[n];
        }
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x, target += 4) {
            const std::uint64_t* s = &sums[x * 4];
            const auto alpha = static_cast<std::uint8_t>((s[3] + area / 2) / area);
            for (int c = 0; c < 3; ++c) {
                const auto colour = static_cast<std::uint8_t>((s[c] + area * 255 / 2) / (area * 255));
                // The two roundings could part by one; a colour above its alpha
                // would blend past white.
                target[c] = std::min(colour, alpha);
            }
            target[3] = alpha;
        }
    }
    return out;
}

std::uint8_t BlendPremultiplied(std::uint8_t p, std::uint8_t alpha, std::uint8_t k) {
    // p <= alpha holds for what ScaleBanner makes; the clamp keeps any other
    // input from wrapping round.
    return static_cast<std::uint8_t>(std::min(255u, p + k * (255u - alpha) / 255u));
}

void BlendBanner(const PremultipliedPixels& pixels, std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                 std::uint8_t* out) {
    const std::uint8_t* in = pixels.bgra.data();
    const std::size_t count = pixels.bgra.size() / 4;
    for (std::size_t i = 0; i < count; ++i, in += 4, out += 4) {
        const std::uint8_t alpha = in[3];
        out[0] = BlendPremultiplied(in[0], alpha, blue);
        out[1] = BlendPremultiplied(in[1], alpha, green);
        out[2] = BlendPremultiplied(in[2], alpha, red);
        out[3] = alpha;
    }
}
