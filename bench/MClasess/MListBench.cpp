// The model lists append hundreds of thousands of points and sort the draw list before every
// picture. Each list operation is measured next to its standard library counterpart; the
// ratio of the two is what the README reports.

#include "MList.h"
#include "SceneRecords.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

constexpr int kCount = 1'000'000;

MPoint3DN<float> PointAt(int i)
{
    const float f = static_cast<float>(i);
    return {f, f + 1, f + 2, i, -1};
}

void BM_MListAddInt(benchmark::State& state)
{
    for (auto _ : state) {
        MList<int> list;
        for (int i = 0; i < kCount; ++i)
            list.Add(i);
        benchmark::DoNotOptimize(list.Data);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MListAddInt)->Unit(benchmark::kMillisecond);

void BM_VectorPushBackInt(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<int> vector;
        for (int i = 0; i < kCount; ++i)
            vector.push_back(i);
        benchmark::DoNotOptimize(vector.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_VectorPushBackInt)->Unit(benchmark::kMillisecond);

void BM_MListAddPoint(benchmark::State& state)
{
    for (auto _ : state) {
        MList<MPoint3DN<float>> list;
        for (int i = 0; i < kCount; ++i)
            list.Add(PointAt(i));
        benchmark::DoNotOptimize(list.Data);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MListAddPoint)->Unit(benchmark::kMillisecond);

void BM_VectorPushBackPoint(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<MPoint3DN<float>> vector;
        for (int i = 0; i < kCount; ++i)
            vector.push_back(PointAt(i));
        benchmark::DoNotOptimize(vector.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_VectorPushBackPoint)->Unit(benchmark::kMillisecond);

// Depths of a draw list in random order; the same every run (fixed start value).
const std::vector<MObj>& UnsortedDraws()
{
    static const std::vector<MObj> draws = [] {
        std::mt19937 random(12345u);
        std::uniform_real_distribution<float> depth(-1000.0f, 1000.0f);
        std::vector<MObj> entries(kCount);
        for (int i = 0; i < kCount; ++i)
            entries[static_cast<std::size_t>(i)] = {depth(random), i, -1};
        return entries;
    }();
    return draws;
}

void BM_MListSortMObj(benchmark::State& state)
{
    const std::vector<MObj>& draws = UnsortedDraws();
    MList<MObj> list;
    list.SetCount(kCount);
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(draws.begin(), draws.end(), list.Data);
        state.ResumeTiming();
        list.Sort();
        benchmark::DoNotOptimize(list.Data);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_MListSortMObj)->Unit(benchmark::kMillisecond);

void BM_StdSortMObj(benchmark::State& state)
{
    const std::vector<MObj>& draws = UnsortedDraws();
    std::vector<MObj> vector(draws.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(draws.begin(), draws.end(), vector.begin());
        state.ResumeTiming();
        std::sort(vector.begin(), vector.end(), [](const MObj& a, const MObj& b) { return a.Z < b.Z; });
        benchmark::DoNotOptimize(vector.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kCount);
}
BENCHMARK(BM_StdSortMObj)->Unit(benchmark::kMillisecond);

}  // namespace
