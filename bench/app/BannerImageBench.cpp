// The banner's pure work on the shipped picture: decoding it and reducing it
// to its 176 x 80 fit (at the first paint, and again only if the box's size
// changes), and blending the reduced picture onto a background (once per
// colour).
#include "app/BannerImage.h"
#include "app/BannerScale.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::uint8_t> shippedPng() {
    std::ifstream in(KESTROVA_BANNER_PNG, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void BM_DecodeShippedBanner(benchmark::State& state) {
    const auto png = shippedPng();
    for (auto _ : state) {
        auto picture = DecodeBannerPng(png.data(), png.size());
        benchmark::DoNotOptimize(picture);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2148 * 971 * 4);
}
BENCHMARK(BM_DecodeShippedBanner)->Unit(benchmark::kMillisecond);

void BM_ReduceShippedBanner(benchmark::State& state) {
    const auto png = shippedPng();
    const auto picture = DecodeBannerPng(png.data(), png.size());
    for (auto _ : state) {
        if (picture) {
            auto small = ScaleBanner(*picture, 176, 80);
            benchmark::DoNotOptimize(small);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 2148 * 971);
}
BENCHMARK(BM_ReduceShippedBanner)->Unit(benchmark::kMillisecond);

void BM_BlendReducedBanner(benchmark::State& state) {
    const auto png = shippedPng();
    const auto picture = DecodeBannerPng(png.data(), png.size());
    const PremultipliedPixels small = picture ? ScaleBanner(*picture, 176, 80) : PremultipliedPixels{};
    std::vector<std::uint8_t> out(small.bgra.size());
    for (auto _ : state) {
        BlendBanner(small, 240, 240, 240, out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 176 * 80);
}
BENCHMARK(BM_BlendReducedBanner)->Unit(benchmark::kMicrosecond);

}  // namespace
