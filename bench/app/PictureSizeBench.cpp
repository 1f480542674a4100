// Pictures reduced to a size (--size) and written as PNG: the exact area average beside Qt's
// smooth scaling (which spreads each picture over Qt's own thread pool), and the PNG of the
// reduced picture, which has more colours than a palette holds, beside Qt's PNG writer. The
// scenes are drawn at 3000 x 3000 as the export draws them, with sticks: a small molecule of 25
// atoms of four elements (argument 25) and a graphene patch of 1,000 atoms (argument 1000).
#include <benchmark/benchmark.h>

#include <random>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

#include "AreaAverage.h"
#include "MBmpSaveLoad.h"
#include "SceneDrawing.h"
#include "SyntheticStructures.h"

namespace {

constexpr int Side = 512;

// 25 atoms of C, H, O and N at random in an 8 Angstrom cube, as the batch figures' molecules.
void LoadMolecule(Scene& scene)
{
    LoadShippedElements(scene.LAtom);
    const int elements[] = {ElementIndexOf(scene.LAtom, "C"), ElementIndexOf(scene.LAtom, "H"),
                            ElementIndexOf(scene.LAtom, "O"), ElementIndexOf(scene.LAtom, "N")};
    std::mt19937 random(7);
    std::uniform_real_distribution<float> place(-4, 4);
    scene.LXyz.Clear();
    for (int i = 0; i < 25; ++i)
        scene.LXyz.Add(MPoint3DN<float>{place(random), place(random), place(random), elements[random() % 4], -1});
}

QImage DrawnScene(int atoms)
{
    Scene scene;
    if (atoms == 25)
        LoadMolecule(scene);
    else
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
    const QImage picture = DrawnScene(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(AreaAverage(picture, {Side, Side}, 0xFFFFFFFF));
}
BENCHMARK(ExactAreaAverage)->Arg(25)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void QtSmoothScaling(benchmark::State& state)
{
    const QImage picture = DrawnScene(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(picture.scaled(Side, Side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}
BENCHMARK(QtSmoothScaling)->Arg(25)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The reduced picture written by writer into memory; the counter is the file's size.
template <typename Writer>
void WriteReduced(benchmark::State& state, Writer writer)
{
    const QImage reduced = AreaAverage(DrawnScene(static_cast<int>(state.range(0))), {Side, Side}, 0xFFFFFFFF);
    qint64 bytes = 0;
    for (auto _ : state) {
        QByteArray png;
        QBuffer sink(&png);
        sink.open(QIODevice::WriteOnly);
        if (!writer(reduced, sink))
            state.SkipWithError("the PNG could not be written");
        bytes = png.size();
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void PngOfTheReducedPicture(benchmark::State& state)
{
    WriteReduced(state, [](const QImage& picture, QIODevice& sink) { return WritePngPicture(picture, sink); });
}
BENCHMARK(PngOfTheReducedPicture)->Arg(25)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void QtPngOfTheReducedPicture(benchmark::State& state)
{
    WriteReduced(state, [](const QImage& picture, QIODevice& sink) { return QImageWriter(&sink, "png").write(picture); });
}
BENCHMARK(QtPngOfTheReducedPicture)->Arg(25)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
