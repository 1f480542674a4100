// Choosing another element for one symbol of an open file: the frame read again with the
// choice, the scene rebuilt with every setting (repeat, sticks, rotation) and drawn. The file is a
// graphene sheet as a molecular-dynamics dump writes it: atom types 1 (carbon) and 2 (hydrogen);
// type 1 is chosen as carbon, and type 2 goes from the rules' helium to hydrogen and back.
#include <benchmark/benchmark.h>

#include <string>

#include "ScenePipeline.h"
#include "SyntheticStructures.h"

namespace {

constexpr int StickBarAt124 = 54;
constexpr int StickRadiusPosition = 500;

// The synthetic sheet with its symbols written as type numbers.
std::string TypeNumberText(int atoms)
{
    std::string text = MakeXyzText(atoms);
    std::size_t line = text.find('\n', text.find('\n') + 1) + 1;
    while (line < text.size()) {
        text[line] = text[line] == 'C' ? '1' : '2';
        line = text.find('\n', line) + 1;
    }
    return text;
}

// The steps a choice takes, from the reading of the frame on.
enum Steps { ReadOnly, ReadAndRebuild, ReadRebuildAndDraw };

void ChooseElement(benchmark::State& state, Steps steps)
{
    ScenePipeline pipeline;
    (void)pipeline.LoadElementTableFile(std::string(PELMORA_DATA_DIR) + "/Atom.txt");
    if (pipeline.OpenXyz(TypeNumberText(static_cast<int>(state.range(0)))).outcome != XyzReadOutcome::Read) {
        state.SkipWithError("the sheet was not read");
        return;
    }
    const StickControls sticks{true, StickBarAt124, 500};
    const TranslationCell cell{};
    const ViewAngles angles{300, 200, 100};
    pipeline.Rebuild(sticks, cell, angles);
    (void)pipeline.Picture(StickRadiusPosition);
    bool chosen = false;
    for (auto _ : state) {
        // Type 2 as hydrogen, then back to the rules (helium), in turns.
        chosen = !chosen;
        (void)pipeline.SetElementMap(chosen ? ElementMap{{"1", "C"}, {"2", "H"}} : ElementMap{{"1", "C"}});
        benchmark::DoNotOptimize(pipeline.RereadFrame());
        if (steps >= ReadAndRebuild)
            pipeline.Rebuild(sticks, cell, angles);
        if (steps >= ReadRebuildAndDraw)
            benchmark::DoNotOptimize(pipeline.Picture(StickRadiusPosition).constBits());
    }
    state.counters["atoms"] = pipeline.Model().LXyz.FCount;
    state.counters["sticks"] = pipeline.Model().LStick.FCount;
}

void ChooseElementOfOneSymbol(benchmark::State& state) { ChooseElement(state, ReadRebuildAndDraw); }
void ChooseElementReadOnly(benchmark::State& state) { ChooseElement(state, ReadOnly); }
void ChooseElementWithoutDrawing(benchmark::State& state) { ChooseElement(state, ReadAndRebuild); }

BENCHMARK(ChooseElementOfOneSymbol)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ChooseElementReadOnly)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ChooseElementWithoutDrawing)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
