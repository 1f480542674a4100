// The drawing pass over a graphene sheet with its sticks: the picture alone, and the picture
// with the SVG document written in the same pass.
#include <benchmark/benchmark.h>

#include "SceneDrawing.h"
#include "SyntheticStructures.h"

namespace {

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
    for (auto _ : state) {
        DrawScene(scene, bitmap, 500);
        benchmark::DoNotOptimize(bitmap.constBits());
    }
    state.counters["atoms"] = scene.LXyzView.FCount;
    state.counters["sticks"] = scene.LStickView.FCount;
}
// 0 atoms: clearing the 3000 x 3000 bitmap alone.
BENCHMARK(DrawSceneWithSticks)->Arg(0)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void DrawSceneWithSvg(benchmark::State& state)
{
    Scene scene;
    PrepareSheet(scene, static_cast<int>(state.range(0)));
    QImage bitmap = MakeSceneBitmap();
    TextBuffer svg;
    for (auto _ : state) {
        DrawScene(scene, bitmap, 500, &svg);
        benchmark::DoNotOptimize(svg.Count());
    }
    state.counters["lines"] = static_cast<double>(svg.Count());
}
BENCHMARK(DrawSceneWithSvg)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
