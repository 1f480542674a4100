// Pictures reduced to a size (--size) and written as PNG: the exact area average beside Qt's
// smooth scaling (which spreads each picture over Qt's own thread pool), and the PNG of the
// reduced picture, which has more colours than a palette holds. The scenes are graphene patches
// drawn at 3000 x 3000 as the export draws them: 24 atoms, as a small molecule, and 1,000.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include "AreaAverage.h"
#include "MBmpSaveLoad.h"
#include "SceneDrawing.h"
#include "SyntheticStructures.h"

namespace {

constexpr int Side = 512;

QImage DrawnPatch(int atoms)
{
    Scene scene;
    (void)LoadGrapheneCell(scene, atoms);
    const StickControls sticks{true, 54, 500};
    scene.UpdateSticks(sticks);
    scene.RebuildTranslation(TranslationCell{1, 1, 0, 0, 0, 0});
    scene.UpdateSticks(sticks);
    scene.Rotate(ViewAngles{});
    QImage bitmap = MakeSceneBitmap();
    DrawScene(scene, bitmap, 500);
    return bitmap;
}

void ExactAreaAverage(benchmark::State& state)
{
    const QImage picture = DrawnPatch(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(AreaAverage(picture, {Side, Side}, 0xFFFFFFFF));
}
BENCHMARK(ExactAreaAverage)->Arg(24)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void QtSmoothScaling(benchmark::State& state)
{
    const QImage picture = DrawnPatch(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(picture.scaled(Side, Side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
BENCHMARK(QtSmoothScaling)->Arg(24)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void PngOfTheReducedPicture(benchmark::State& state)
{
    const QImage reduced = AreaAverage(DrawnPatch(static_cast<int>(state.range(0))), {Side, Side}, 0xFFFFFFFF);
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray png;
        QBuffer sink(&png);
        sink.open(QIODevice::WriteOnly);
        if (!WritePngPicture(reduced, sink))
            state.SkipWithError("the PNG could not be written");
        bytes = png.size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(PngOfTheReducedPicture)->Arg(24)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
