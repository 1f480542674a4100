// Number text: StrToDouble is called for every coordinate of an XYZ file, FloatToSvg for every
// number of an SVG document. Each benchmark makes exactly 10^6 calls.

#include "MFunction.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kBatch = 1000;
constexpr int kBatches = 1000;

// Coordinates as XYZ files write them: signs, 5 to 10 decimals, some with a comma.
std::vector<std::string> CoordinateTexts(bool comma)
{
    std::vector<std::string> texts;
    std::uint32_t state = 1;
    for (int i = 0; i < kBatch; ++i) {
        state = state * 1664525u + 1013904223u;
        const double value = (static_cast<double>(state >> 8) / (1u << 24) - 0.5) * 200.0;
        std::string text = FloatToText(value, comma ? "," : ".");
        texts.push_back("  " + text);
    }
    return texts;
}

std::vector<float> SvgValues()
{
    std::vector<float> values;
    std::uint32_t state = 7;
    for (int i = 0; i < kBatch; ++i) {
        state = state * 1664525u + 1013904223u;
        values.push_back(static_cast<float>(state >> 8) / 5000.0f);
    }
    return values;
}

void BM_StrToDouble(benchmark::State& state)
{
    const std::vector<std::string> texts = CoordinateTexts(state.range(0) != 0);
    for (auto _ : state)
        for (const std::string& text : texts)
            benchmark::DoNotOptimize(StrToDouble(text));
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_StrToDouble)->ArgName("comma")->Arg(0)->Arg(1)->Iterations(kBatches)->Unit(benchmark::kMillisecond);

void BM_FloatToSvg(benchmark::State& state)
{
    const std::vector<float> values = SvgValues();
    for (auto _ : state)
        for (const float value : values)
            benchmark::DoNotOptimize(FloatToSvg(value));
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_FloatToSvg)->Iterations(kBatches)->Unit(benchmark::kMillisecond);

void BM_StrToInt(benchmark::State& state)
{
    std::vector<std::string> texts;
    for (int i = 0; i < kBatch; ++i)
        texts.push_back(std::to_string(i * 7919 - 3000000));
    for (auto _ : state)
        for (const std::string& text : texts)
            benchmark::DoNotOptimize(StrToInt(text));
    state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_StrToInt)->Iterations(kBatches)->Unit(benchmark::kMillisecond);

}  // namespace
