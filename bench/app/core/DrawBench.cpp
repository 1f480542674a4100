// The drawing pass over a graphene sheet with its sticks: the picture alone, and the picture
// with the SVG document written in the same pass.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>

#include "DrawOrder.h"
#include "SceneDrawing.h"
#include "SyntheticStructures.h"
#include "WorkerPool.h"

namespace {

double ProcessCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

constexpr int StickBarAt124 = 54;  // joins the 1.42 bonds and nothing farther

// A sheet of `atoms` carbons (0: an empty scene) with every bond, turned so that balls and
// sticks overlap as in a real view.
void PrepareSheet(Scene& scene, int atoms)
{
    const StickControls sticks{true, StickBarAt124, 500};
    const TranslationCell lattice = atoms > 0 ? LoadGrapheneCell(scene, atoms) : TranslationCell{};
    scene.UpdateSticks(sticks);
    scene.RebuildTranslation(lattice);
    scene.UpdateSticks(sticks);
    scene.Rotate(ViewAngles{300, 200, 0});
}

void DrawSceneWithSticks(benchmark::State& state)
{
    Scene scene;
    PrepareSheet(scene, static_cast<int>(state.range(0)));
    QImage bitmap = MakeSceneBitmap();
    const double processStart = ProcessCpuMilliseconds();
    for (auto _ : state) {
        DrawScene(scene, bitmap, 500);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    // The CPU time of every thread together: on a loaded machine the wall time says little about
    // what the threads share.
    state.counters["all_threads_cpu_ms"] = (ProcessCpuMilliseconds() - processStart)
        / static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations()));
    state.counters["threads"] = WorkerPool::Shared().Threads();
    state.counters["atoms"] = scene.LXyzView.FCount;
    state.counters["sticks"] = scene.LStickView.FCount;
}
// 0 atoms: clearing the 3000 x 3000 bitmap alone.
BENCHMARK(DrawSceneWithSticks)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(30000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void DrawSceneWithSvg(benchmark::State& state)
{
    Scene scene;
    PrepareSheet(scene, static_cast<int>(state.range(0)));
    QImage bitmap = MakeSceneBitmap();
    SvgLines svg;
    for (auto _ : state) {
        DrawScene(scene, bitmap, 500, &svg);
        benchmark::DoNotOptimize(svg.size());
    }
    state.counters["lines"] = static_cast<double>(svg.size());
}
BENCHMARK(DrawSceneWithSvg)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The draw list of a turned 100,000-atom sheet sorted far to near: the list's own heap sort, and
// the same heap sort on packed keys that DrawScene runs (both leave the same order).
void SortDrawList(benchmark::State& state)
{
    Scene scene;
    PrepareSheet(scene, 100000);
    const bool keyed = state.range(0) != 0;
    for (auto _ : state) {
        if (keyed) {
            BuildSortedDrawList(scene);
        } else {
            state.PauseTiming();
            scene.LObj.SetCount(scene.LXyzView.FCount + scene.LStickView.FCount);
            for (int i = 0; i < scene.LXyzView.FCount; ++i)
                scene.LObj.Data[i] = MObj{scene.LXyzView.Data[i].z, i, -1};
            for (int i = 0; i < scene.LStickView.FCount; ++i)
                scene.LObj.Data[scene.LXyzView.FCount + i] = MObj{scene.LStickView.Data[i].Depth(), -1, i};
            state.ResumeTiming();
            scene.LObj.Sort();
        }
    }
    state.counters["entries"] = scene.LObj.FCount;
}
BENCHMARK(SortDrawList)->ArgName("keyed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Scenes whose draw lists are long, side by side in both paint orders and in the one DrawScene
// chooses: a sheet seen face on (every depth equal, little overlap), the sheet turned, and a
// turned stack of sheets (deep: most of what is painted far to near is hidden).
enum SceneShape { FlatSheet, TurnedSheet, DeepStack, StackFaceOn, SmallTurnedSheet };

void PrepareShape(Scene& scene, SceneShape shape)
{
    const StickControls sticks{true, StickBarAt124, 500};
    if (shape == DeepStack || shape == StackFaceOn) {
        LoadShippedElements(scene.LAtom);
        const GrapheneCell layer = MakeGraphenePatch(10000, ElementIndexOf(scene.LAtom, "C"));
        scene.LXyz.Clear();
        for (int z = 0; z < 24; ++z)
            for (MPoint3DN<float> atom : layer.atoms) {
                atom.z = 3.35f * static_cast<float>(z);
                scene.LXyz.Add(atom);
            }
        scene.UpdateSticks(sticks);
        scene.RebuildTranslation(TranslationCell{});
    } else {
        const TranslationCell lattice = LoadGrapheneCell(scene, shape == SmallTurnedSheet ? 50000 : 100000);
        scene.UpdateSticks(sticks);
        scene.RebuildTranslation(lattice);
    }
    scene.UpdateSticks(sticks);
    const bool faceOn = shape == FlatSheet || shape == StackFaceOn;
    scene.Rotate(faceOn ? ViewAngles{0, 0, 0} : ViewAngles{300, 200, 0});
}

void DrawSceneInPaintOrder(benchmark::State& state)
{
    Scene scene;
    PrepareShape(scene, static_cast<SceneShape>(state.range(0)));
    const auto order = static_cast<PaintOrder>(state.range(1));
    SetPaintOrder(order);
    QImage bitmap = MakeSceneBitmap();
    for (auto _ : state) {
        DrawScene(scene, bitmap, 500);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    SetPaintOrder(PaintOrder::Chosen);
    state.counters["entries"] = scene.LObj.FCount;
    state.counters["chosen_near_to_far"] = ChoosePaintOrder(scene) == PaintOrder::NearToFar;
    state.counters["depths"] = SampledDepths(scene);
}
BENCHMARK(DrawSceneInPaintOrder)
    ->ArgNames({"shape", "order"})
    ->ArgsProduct({{FlatSheet, TurnedSheet, DeepStack, StackFaceOn, SmallTurnedSheet},
                   {int(PaintOrder::FarToNear), int(PaintOrder::NearToFar), int(PaintOrder::Chosen)}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// DrawScene on one thread, to compare with all of them (the figures above).
void DrawSceneOnOneThread(benchmark::State& state)
{
    Scene scene;
    PrepareSheet(scene, static_cast<int>(state.range(0)));
    QImage bitmap = MakeSceneBitmap();
    WorkerPool& pool = WorkerPool::Shared();
    const int threads = pool.Threads();
    pool.SetThreadLimit(1);
    for (auto _ : state) {
        DrawScene(scene, bitmap, 500);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    pool.SetThreadLimit(threads);
}
BENCHMARK(DrawSceneOnOneThread)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
