// The banner's pure work on the shipped picture: decoding it (once per run of
// the program) and blending it onto a background (once per colour).
#include "app/BannerImage.h"

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

void BM_BlendShippedBanner(benchmark::State& state) {
    const auto png = shippedPng();
    const auto picture = DecodeBannerPng(png.data(), png.size());
    std::vector<std::uint8_t> out(picture ? picture->bgra.size() : 0);
    for (auto _ : state) {
        if (picture) BlendBanner(*picture, 240, 240, 240, out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 2148 * 971);
}
BENCHMARK(BM_BlendShippedBanner)->Unit(benchmark::kMillisecond);

}  // namespace
