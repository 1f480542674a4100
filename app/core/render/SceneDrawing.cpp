#include "SceneDrawing.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "BallStickRaster.h"
#include "BandPainting.h"
#include "DrawOrder.h"
#include "LargeBuffers.h"
#include "MTrace.h"
#include "RowBands.h"
#include "SceneGeometry.h"
#include "SvgBody.h"
#include "SvgWriter.h"
#include "WorkerPool.h"

namespace {

constexpr const char* ObjectName = "FormMain";
constexpr QRgb White = 0xFFFFFFFF;

// Draw entries per part of the passes over the draw list: finding the bands of every object, and
// writing the SVG lines of the sorted list.
constexpr std::int64_t EntriesPerPart = 16384;

}  // namespace

QImage MakeSceneBitmap()
{
    QImage bitmap = MakeUnwrittenSceneBitmap();
    bitmap.fill(White);
    return bitmap;
}

QImage MakeUnwrittenSceneBitmap()
{
    QImage bitmap(SceneBitmapSize, SceneBitmapSize, QImage::Format_RGB32);
    // 36 MB written for the first time cost a page fault for every 4 KB page: more than the
    // whole painting of a small scene.
    AdviseHugePages(bitmap.bits(), static_cast<std::size_t>(bitmap.sizeInBytes()));
    return bitmap;
}

void DrawScene(Scene& scene, QImage& bitmap, int stickRadiusPosition, SvgLines* svg)
{
    BallStickRaster raster(bitmap);
    if (svg != nullptr)
        SvgBegin(*svg, raster.Width(), raster.Height());
    const SceneGeometry geometry(scene, raster.Width(), raster.Height(), stickRadiusPosition);
    WorkerPool& pool = WorkerPool::Shared();
    const RowBands bands(raster.Height(), pool.Threads());
    ObjectBands reach(scene);

    // The heap sort leaves equally deep objects in one fixed order, which decides which of them
    // ends up on top. It runs on one thread; another meanwhile clears the bands and finds the
    // bands of every object. A long list is painted from its nearest entries down instead, each
    // only into pixels no nearer entry took: the sort settles the list from that end, so that
    // thread then paints what is settled while the sort goes on, and once it is done the rest is
    // painted band by band on every thread, and what no object took turns white.
    const DrawListState list = LayDrawListKeys(scene);
    const bool keyed = list == DrawListState::Keys;
    if (keyed)
        pool.Run(2, [&](std::int64_t half) { BuildDrawListHeap(scene, static_cast<int>(half)); });
    const int count = scene.LObj.FCount;
    const bool nearToFar = keyed && PaintOrderFor(scene) == PaintOrder::NearToFar && raster.Height() > 0;
    const DrawListReader entries(scene, nearToFar);
    std::atomic<int> settledFrom{count};
    std::atomic<bool> sorted{!keyed};
    std::atomic<std::int64_t> readyParts{0};
    int paintedDownTo = count;
    const std::int64_t sortParts = keyed ? 1 : 0;
    const std::int64_t findParts = (reach.Count() + EntriesPerPart - 1) / EntriesPerPart;
    const std::int64_t setupParts = bands.Count() + findParts;
    const std::int64_t earlyParts = nearToFar ? 1 : 0;
    pool.Run(sortParts + setupParts + earlyParts, [&](std::int64_t part) {
        if (part < sortParts) {
            FinishDrawListSort(scene, nearToFar ? &settledFrom : nullptr);
            sorted.store(true, std::memory_order_release);
            return;
        }
        part -= sortParts;
        if (part < setupParts) {
            if (part < bands.Count()) {
                const int b = static_cast<int>(part);
                raster.Rows(bands.FirstRow(b), bands.LastRow(b)).Fill(nearToFar ? RasterUnpainted : White);
            } else {
                part -= bands.Count();
                reach.Find(scene, geometry, bands, part * EntriesPerPart,
                           std::min(reach.Count(), (part + 1) * EntriesPerPart));
            }
            readyParts.fetch_add(1, std::memory_order_acq_rel);
            return;
        }
        // Parts are handed out in order, so with one thread the sort is done by now and this
        // paints nothing; with more, every setup part is under way and ends without waiting.
        while (readyParts.load(std::memory_order_acquire) < setupParts)
            std::this_thread::yield();
        const BallStickRaster whole = raster.OnlyUnpainted();
        int next = count;
        while (!sorted.load(std::memory_order_acquire)) {
            const int settled = settledFrom.load(std::memory_order_acquire);
            if (settled < next) {
                PaintEntries(geometry, entries, next - 1, settled - 1, -1, whole, nullptr, 0);
                next = settled;
            } else {
                std::this_thread::yield();
            }
        }
        paintedDownTo = next;
    });
    if (keyed && !nearToFar)
        TurnDrawListKeysIntoEntries(scene);

    if (raster.Height() > 0)
        pool.Run(bands.Count(), [&](std::int64_t band) {
            const int b = static_cast<int>(band);
            const BallStickRaster rows = raster.Rows(bands.FirstRow(b), bands.LastRow(b));
            if (!nearToFar)
                return PaintEntries(geometry, entries, 0, count, 1, rows, &reach, b);
            PaintEntries(geometry, entries, paintedDownTo - 1, -1, -1, rows.OnlyUnpainted(), &reach, b);
            BallStickRaster(rows).FillUnpainted(White);
        });
    if (nearToFar)
        TurnDrawListKeysIntoEntries(scene);
    if (svg != nullptr) {
        WriteSvgBody(scene, geometry, EntriesPerPart, *svg);
        SvgEnd(*svg, raster.Width(), raster.Height());
    }
}

void DrawCircle(const Scene& scene, QImage& bitmap, int index, SvgLines* svg)
{
    if (index < 0 || index >= scene.LXyzView.FCount)
        return;
    TraceWatch(ObjectName, "iA", scene.LXyzView.Data[index].N, "TFormMain::DrawCircle");
    BallStickRaster raster(bitmap);
    const SceneGeometry geometry(scene, raster.Width(), raster.Height(), StickRadiusBarMaximum / 2);
    if (const std::optional<BallShape> ball = geometry.Ball(index))
        PaintBall(raster, *ball);
    if (svg != nullptr)
        if (std::string line = geometry.BallSvg(index); !line.empty())
            svg->push_back(std::move(line));
}

void DrawStick(const Scene& scene, QImage& bitmap, int index, int stickRadiusPosition, SvgLines* svg)
{
    if (index < 0 || index >= scene.LStickView.FCount)
        return;
    BallStickRaster raster(bitmap);
    const SceneGeometry geometry(scene, raster.Width(), raster.Height(), stickRadiusPosition);
    if (const std::optional<StickShape> stick = geometry.Stick(index))
        PaintStick(raster, *stick);
    if (svg != nullptr) {
        std::vector<std::string> lines;
        geometry.StickSvg(index, lines);
        for (std::string& line : lines)
            svg->push_back(std::move(line));
    }
}
