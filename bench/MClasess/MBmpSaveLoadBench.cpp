// Saving the 3000 x 3000 scene picture in each format, to memory and to a file in /tmp.

#include "MBmpSaveLoad.h"

#include <QBuffer>
#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>

namespace {

constexpr int kSceneSide = 3000;

void PaintDisc(QImage& picture, int centreX, int centreY, int radius, QRgb colour)
{
    for (int y = std::max(0, centreY - radius); y <= std::min(picture.height() - 1, centreY + radius); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = std::max(0, centreX - radius); x <= std::min(picture.width() - 1, centreX + radius); ++x) {
            const int dx = x - centreX;
            const int dy = y - centreY;
            if (dx * dx + dy * dy <= radius * radius)
                line[x] = colour;
        }
    }
}

// White with 400 balls in 30 element colours, like a drawn scene. With shade set, each ball
// gets a radial shading, which gives the GIF writer far more than 256 colours to reduce.
QImage ScenePicture(bool shade)
{
    QImage scene(kSceneSide, kSceneSide, QImage::Format_RGB32);
    scene.fill(Qt::white);
    std::uint32_t state = 12345;
    const auto next = [&state](std::uint32_t limit) {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>((state >> 8) % limit);
    };
    for (int i = 0; i < 400; ++i) {
        const int element = i % 30;
        const int x = next(kSceneSide);
        const int y = next(kSceneSide);
        const int radius = 20 + next(60);
        const int steps = shade ? 12 : 1;  // 30 elements x 12 shades: well over 256 colours
        for (int step = 0; step < steps; ++step) {
            const int light = step * 8;
            PaintDisc(scene, x, y, radius * (steps - step) / steps,
                      qRgb(std::min(255, 40 + element * 7 + light), std::min(255, (element * 53) % 256 + light),
                           std::min(255, 230 - element * 5 + light)));
        }
    }
    return scene;
}

const QImage& Scene(bool shade)
{
    static const QImage flat = ScenePicture(false);
    static const QImage shaded = ScenePicture(true);
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

} // namespace
