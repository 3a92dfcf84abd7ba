// The loop of the detector benchmark with nothing in its body but the read of
// the event: what that benchmark would print for a detector that costs nothing.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

namespace {

struct Event {
    uint32_t message;
    uint8_t key;
};

// The same mix as the detector benchmark's.
constexpr Event mix[16] = {
    {260, 165}, {257, 165}, {256, 65}, {257, 65}, {260, 165}, {260, 88}, {261, 88}, {257, 165},
    {260, 164}, {257, 164}, {256, 13}, {257, 13}, {260, 165}, {260, 165}, {257, 165}, {256, 32},
};

void BM_ReadEventOnly(benchmark::State& state) {
    size_t i = 0;
    for (auto _ : state) {
        const Event& e = mix[i++ & 15];
        benchmark::DoNotOptimize(e.message);
        benchmark::DoNotOptimize(e.key);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadEventOnly);

}  // namespace
