// The scene core's hot paths: reading, the rebuild of a repeated cell, sticks and rotation.
#include <benchmark/benchmark.h>

#include "KFactor.h"
#include "ReferenceLoops.h"
#include "StickBuilder.h"
#include "SyntheticStructures.h"
#include "XyzReader.h"

namespace {

constexpr int StickBarAt124 = 54;

void ReadXyzFile(benchmark::State& state)
{
    const int atoms = static_cast<int>(state.range(0));
    const std::string text = MakeXyzText(atoms);
    MListAdr<MAtom*> elements;
    LoadShippedElements(elements);
    MList<MPoint3DN<float>> read;
    for (auto _ : state) {
        TextBuffer buffer;
        buffer.LoadFromBytes(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        const XyzReadResult result = ReadXyz(buffer.Lines(), elements, read);
        benchmark::DoNotOptimize(result);
    }
    state.counters["atoms"] = read.FCount;
}
BENCHMARK(ReadXyzFile)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Groups, 10 x 10 repeat, near-duplicate removal, centring and scale, sticks, rotation.
void RebuildRepeatedCell(benchmark::State& state)
{
    Scene scene;
    TranslationCell lattice = LoadGrapheneCell(scene, 1000);
    lattice.Nx = lattice.Ny = static_cast<int>(state.range(0));
    const StickControls sticks{true, StickBarAt124, 500};
    for (auto _ : state) {
        scene.RebuildTranslation(lattice);
        scene.UpdateSticks(sticks);
        scene.Rotate(ViewAngles{300, 200, 100});
    }
    state.counters["atoms"] = scene.LXyzTrans.FCount;
    state.counters["sticks"] = scene.LStick.FCount;
}
BENCHMARK(RebuildRepeatedCell)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

struct Sheet {
    Sheet(int atoms)
    {
        LoadShippedElements(elements);
        const GrapheneCell cell = MakeGraphenePatch(atoms, ElementIndexOf(elements, "C"));
        for (const auto& atom : cell.atoms)
            points.Add(atom);
    }
    MListAdr<MAtom*> elements;
    MList<MPoint3DN<float>> points;
};

void SticksOnGrapheneSheet(benchmark::State& state)
{
    Sheet sheet(static_cast<int>(state.range(0)));
    MList<MStickAtoms> sticks;
    const float kMin = KFactor(StickBarAt124, 100);
    for (auto _ : state)
        BuildSticks(std::span<const MPoint3DN<float>>(sheet.points.Data, std::size_t(sheet.points.FCount)),
                    std::span<MAtom* const>(sheet.elements.Data, std::size_t(sheet.elements.FCount)), kMin, sticks);
    state.counters["sticks"] = sticks.FCount;
}
BENCHMARK(SticksOnGrapheneSheet)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The plain loop over every pair, for comparison.
void SticksPairLoop(benchmark::State& state)
{
    Sheet sheet(static_cast<int>(state.range(0)));
    MList<MStick<float>> sticks;
    const float kMin = KFactor(StickBarAt124, 100);
    for (auto _ : state)
        BuildSticksPairLoop(sheet.points, sheet.elements, kMin, sticks);
    state.counters["sticks"] = sticks.FCount;
}
BENCHMARK(SticksPairLoop)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Repeats the 1,000-atom cell Nx = Ny times outside the timing, then removes near duplicates.
template <class Remove>
void RunNearDuplicateRemoval(benchmark::State& state, Remove remove)
{
    Scene scene;
    TranslationCell lattice = LoadGrapheneCell(scene, 1000);
    lattice.Nx = lattice.Ny = static_cast<int>(state.range(0));
    MList<MPoint3DN<float>> points;
    for (auto _ : state) {
        state.PauseTiming();
        RepeatCell(scene.LXyz, lattice, points);
        state.ResumeTiming();
        remove(points);
    }
    state.counters["atoms"] = points.FCount;
}

void NearDuplicatesGrid(benchmark::State& state) { RunNearDuplicateRemoval(state, RemoveNearDuplicates); }
BENCHMARK(NearDuplicatesGrid)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// The plain loop over every pair, for comparison.
void NearDuplicatesPairLoop(benchmark::State& state)
{
    RunNearDuplicateRemoval(state, RemoveNearDuplicatesPairLoop);
}
BENCHMARK(NearDuplicatesPairLoop)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void RotateWithSticks(benchmark::State& state)
{
    Scene scene;
    TranslationCell lattice = LoadGrapheneCell(scene, 1000);
    lattice.Nx = lattice.Ny = static_cast<int>(state.range(0));
    scene.RebuildTranslation(lattice);
    scene.UpdateSticks(StickControls{true, StickBarAt124, 500});
    int angle = 0;
    for (auto _ : state) {
        scene.Rotate(ViewAngles{angle, 2 * angle % 3600, 3 * angle % 3600});
        angle = (angle + 7) % 3600;
    }
    state.counters["atoms"] = scene.LXyzView.FCount;
    state.counters["sticks"] = scene.LStickView.FCount;
}
BENCHMARK(RotateWithSticks)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace
