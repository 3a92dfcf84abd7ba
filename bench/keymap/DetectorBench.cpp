// Time per event of the tap detector, which runs for every key event of the desktop.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

#include "keymap/TapDetector.h"

namespace {

struct Event {
    uint32_t message;
    uint8_t key;
};

// A mix as typing gives it: taps, a cancelled tap, ordinary keys, left Alt.
constexpr Event mix[16] = {
    {260, 165}, {257, 165}, {256, 65}, {257, 65}, {260, 165}, {260, 88}, {261, 88}, {257, 165},
    {260, 164}, {257, 164}, {256, 13}, {257, 13}, {260, 165}, {260, 165}, {257, 165}, {256, 32},
};

void BM_ProcessKeyEvent(benchmark::State& state) {
    keymap::TapDetector detector;
    size_t i = 0;
    for (auto _ : state) {
        const Event& e = mix[i++ & 15];
        benchmark::DoNotOptimize(detector.ProcessKeyEvent(e.message, e.key));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessKeyEvent);

// Worst case for the branches: only taps.
void BM_ProcessKeyEvent_TapsOnly(benchmark::State& state) {
    keymap::TapDetector detector;
    uint32_t message = 260;
    for (auto _ : state) {
        benchmark::DoNotOptimize(detector.ProcessKeyEvent(message, 165));
        message ^= 260 ^ 257;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ProcessKeyEvent_TapsOnly);

}  // namespace
