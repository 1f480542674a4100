// Posts on a closed trace channel, the state every report of a normal run meets. Each
// iteration makes 10^6 posts, so the time shown is the time per 10^6 posts.

#include "MTrace.h"

#include <benchmark/benchmark.h>

#include <utility>

namespace {

constexpr int kPostsPerIteration = 1'000'000;

void Finish(benchmark::State& state)
{
    state.SetItemsProcessed(state.iterations() * kPostsPerIteration);
    state.counters["open"] = TraceChannelOpen() ? 1 : 0;
}

void BM_ClosedTraceError(benchmark::State& state)
{
    for (auto _ : state) {
        for (int i = 0; i < kPostsPerIteration; ++i)
            TraceError("LAtom", "return error", "MListSimple<T>::SetCount");
    }
    Finish(state);
}
BENCHMARK(BM_ClosedTraceError)->Unit(benchmark::kMillisecond);

// One watch per drawn ball: the value must not be turned into text while the channel is closed.
void BM_ClosedTraceWatchDouble(benchmark::State& state)
{
    double radius = 0.77;
    for (auto _ : state) {
        for (int i = 0; i < kPostsPerIteration; ++i) {
            benchmark::DoNotOptimize(radius);
            TraceWatch(TraceUnitText, "Radius", radius, "DrawScene");
        }
    }
    Finish(state);
}
BENCHMARK(BM_ClosedTraceWatchDouble)->Unit(benchmark::kMillisecond);

void BM_ClosedTraceMark(benchmark::State& state)
{
    for (auto _ : state) {
        for (int i = 0; i < kPostsPerIteration; ++i)
            TraceMark(TraceUnitText, "5", "DrawScene");
    }
    Finish(state);
}
BENCHMARK(BM_ClosedTraceMark)->Unit(benchmark::kMillisecond);

// For comparison: a caller that builds the whole record before TracePost discards it.
void BM_ClosedTracePostOfABuiltRecord(benchmark::State& state)
{
    for (auto _ : state) {
        for (int i = 0; i < kPostsPerIteration; ++i) {
            TraceRecord record;
            record.SourceFile = __FILE__;
            record.Line = __LINE__;
            record.Kind = TraceKindError;
            record.Expression = "return error";
            record.Method = "MListSimple<T>::SetCount";
            TracePost(std::move(record));
        }
    }
    Finish(state);
}
BENCHMARK(BM_ClosedTracePostOfABuiltRecord)->Unit(benchmark::kMillisecond);

}  // namespace
