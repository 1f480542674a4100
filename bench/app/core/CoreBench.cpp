// The scene core's hot paths: reading, the rebuild of a repeated cell, sticks and rotation.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <span>

#include "KFactor.h"
#include "ReferenceLoops.h"
#include "StickBuilder.h"
#include "SyntheticStructures.h"
#include "XyzDocument.h"

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
        // Decoded, indexed and read at its first frame, as a file's bytes are opened.
        const std::span bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
        const XyzDocument document(DecodeToUtf8(bytes, DetectTextEncoding(bytes)));
        const XyzReadResult result = document.ReadFrame(1, elements, read);
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
BENCHMARK(RebuildRepeatedCell)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

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
BENCHMARK(SticksOnGrapheneSheet)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Clusters of `size` carbons within 0.02 of one spot, far apart, as many as make about three
// million sticks (every atom of a cluster joins every other): the cost of a search that must
// produce many sticks per atom, next to the sheet's three million at three per atom.
void SticksOnDenseClusters(benchmark::State& state)
{
    const int size = static_cast<int>(state.range(0));
    const int clusters = std::max(1, 3000000 / (size * (size - 1)));
    Sheet sheet(4);
    sheet.points.Clear();
    std::mt19937 random(11);
    std::uniform_real_distribution<float> hair(-0.01f, 0.01f);
    const int carbon = ElementIndexOf(sheet.elements, "C");
    for (int c = 0; c < clusters; ++c)
        for (int i = 0; i < size; ++i)
            sheet.points.Add(MPoint3DN<float>{float(c % 100) * 10 + hair(random), float(c / 100) * 10 + hair(random),
                                              hair(random), carbon, -1});
    MList<MStickAtoms> sticks;
    const float kMin = KFactor(StickBarAt124, 100);
    for (auto _ : state)
        BuildSticks(std::span<const MPoint3DN<float>>(sheet.points.Data, std::size_t(sheet.points.FCount)),
                    std::span<MAtom* const>(sheet.elements.Data, std::size_t(sheet.elements.FCount)), kMin, sticks);
    state.counters["atoms"] = sheet.points.FCount;
    state.counters["sticks"] = sticks.FCount;
}
BENCHMARK(SticksOnDenseClusters)->Arg(32)->Arg(300)->Arg(1733)->Unit(benchmark::kMillisecond)->UseRealTime();

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

void NearDuplicatesGrid(benchmark::State& state)
{
    RunNearDuplicateRemoval(state, [](MList<MPoint3DN<float>>& points) { RemoveNearDuplicates(points); });
}
BENCHMARK(NearDuplicatesGrid)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

// A million atoms: a graphene sheet (nothing to remove), and all on one spot (all but the first
// removed), which cost what the sheet costs.
void NearDuplicatesOfAMillion(benchmark::State& state)
{
    const bool oneSpot = state.range(0) != 0;
    const GrapheneCell sheet = MakeGraphenePatch(1000000, 0);
    MList<MPoint3DN<float>> points;
    for (auto _ : state) {
        state.PauseTiming();
        points.Clear();
        for (const auto& atom : sheet.atoms)
            points.Add(oneSpot ? MPoint3DN<float>{1.5f, -2.25f, 0.75f, 0, -1} : atom);
        state.ResumeTiming();
        RemoveNearDuplicates(points);
    }
    state.counters["kept"] = points.FCount;
}
BENCHMARK(NearDuplicatesOfAMillion)->ArgName("oneSpot")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The plain loop over every pair, for comparison.
void NearDuplicatesPairLoop(benchmark::State& state) { RunNearDuplicateRemoval(state, RemoveNearDuplicatesPairLoop); }
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
BENCHMARK(RotateWithSticks)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
