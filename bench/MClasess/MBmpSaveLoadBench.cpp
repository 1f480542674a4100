// Saving the 3000 x 3000 scene picture in each format, to memory and to a file in /tmp.

#include "MBmpSaveLoad.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>

#include <benchmark/benchmark.h>

#include "ScenePictures.h"

#include <algorithm>
#include <cstdint>

namespace {

const QImage& Scene(bool shade)
{
    static const QImage flat = ScenePicture(400, false);
    static const QImage shaded = ScenePicture(400, true);
    return shade ? shaded : flat;
}

void BM_WritePictureToMemory(benchmark::State& state)
{
    const auto format = static_cast<PictureFormat>(state.range(0));
    const QImage& scene = Scene(state.range(1) != 0);
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        if (!WritePicture(scene, format, sink))
            state.SkipWithError("write failed");
        bytes = sink.size();
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
    state.SetItemsProcessed(state.iterations() * kSceneSide * kSceneSide);
}
BENCHMARK(BM_WritePictureToMemory)
    ->ArgNames({"format", "shaded"})
    ->Args({static_cast<int>(PictureFormat::Bmp), 0})
    ->Args({static_cast<int>(PictureFormat::Png), 0})
    ->Args({static_cast<int>(PictureFormat::Jpeg), 0})
    ->Args({static_cast<int>(PictureFormat::Gif), 0})
    ->Args({static_cast<int>(PictureFormat::Png), 1})
    ->Args({static_cast<int>(PictureFormat::Gif), 1})
    ->Unit(benchmark::kMillisecond);

void BM_BmpSaveToFile(benchmark::State& state)
{
    static const char* const kNames[] = {"scene.bmp", "scene.png", "scene.jpg", "scene.gif"};
    const QString fileName = QDir::temp().filePath(QStringLiteral("pelmora-bench-") + kNames[state.range(0)]);
    const QImage& scene = Scene(false);
    for (auto _ : state)
        if (!BmpSaveToFile(&scene, fileName))
            state.SkipWithError("save failed");
    QFile::remove(fileName);
}
BENCHMARK(BM_BmpSaveToFile)->ArgName("format")->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// The PNG writer's trade of time against size: palette PNGs at zlib levels 1 to 9, and Qt's own
// PNG writer (level -1), which the program used before, on a picture of a few large balls and on
// one of many small ones.
void BM_PngLevel(benchmark::State& state)
{
    static const QImage many = ScenePicture(20000, false);
    const int level = static_cast<int>(state.range(0));
    const QImage& scene = state.range(1) != 0 ? many : Scene(false);
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        const bool written = level < 0 ? QImageWriter(&sink, "png").write(scene) : WritePngPicture(scene, sink, level);
        if (!written)
            state.SkipWithError("write failed");
        bytes = sink.size();
    }
    state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_PngLevel)
    ->ArgNames({"level", "many"})
    ->ArgsProduct({{-1, 1, 3, 6, 9}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
