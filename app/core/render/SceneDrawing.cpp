#include "SceneDrawing.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "BallStickRaster.h"
#include "DrawOrder.h"
#include "LargeBuffers.h"
#include "MConstants.h"
#include "MTrace.h"
#include "MSingle.h"
#include "SvgWriter.h"
#include "WorkerPool.h"

namespace {

constexpr const char* ObjectName = "FormMain";
constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

// Bands of rows per thread. Every band looks through the whole draw list, which costs as much as
// painting at four bands a thread; two still let a thread whose band is crowded be helped.
constexpr int BandsPerThread = 2;
constexpr int MostBands = 255;
// How far ahead in the sorted list a band asks for the atoms and sticks it is going to paint.
constexpr int Lookahead = 32;
// Draw entries per part of the passes over the sorted list.
constexpr std::int64_t EntriesPerPart = 16384;
// From this many entries on, painting the nearest while the rest is sorted gains more than it
// costs to paint only into untaken pixels and to whiten the untaken ones afterwards (measured:
// a loss at 120,000 entries, a gain of a fifth at 400,000).
constexpr int NearToFarEntries = 200000;
// Painting near to far gains by painting while the sort runs; a list of a few depths sorts in
// next to no time, and the masked painting then only costs (measured on long lists: a loss of
// 80% for one depth and of 10% for two, a gain of 15% for four and of 25% and more for many).
constexpr int NearToFarDepths = 4;
std::atomic<PaintOrder> ForcedPaintOrder{PaintOrder::Chosen};

QRgb RgbOf(TColor color)
{
    const auto bits = static_cast<std::uint32_t>(color);
    return qRgb(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

// A position cut toward zero to a whole pixel; nothing when it is not finite or so far away
// that no integer may hold it.
std::optional<std::int64_t> PixelOf(double position)
{
    // Below MaxRasterCoordinate + 1 in size, the whole part lies within the limit and the
    // conversion cuts toward zero; a NaN fails the comparison too.
    if (!(std::abs(position) < static_cast<double>(MaxRasterCoordinate) + 1))
        return std::nullopt;
    return static_cast<std::int64_t>(position);
}

// A ball as the raster paints it.
struct BallShape {
    std::int64_t left, top, right, bottom;
    QRgb fill;
};

// A stick as the raster paints it.
struct StickShape {
    std::int64_t x1, y1, x2, y2, width;

    // The raster paints a stick the same way in either direction.
    bool SamePixels(const StickShape& other) const
    {
        return width == other.width
            && ((x1 == other.x1 && y1 == other.y1 && x2 == other.x2 && y2 == other.y2)
                || (x1 == other.x2 && y1 == other.y2 && x2 == other.x1 && y2 == other.y1));
    }
};

// The rows an object may paint, first > last when none.
struct RowRange {
    std::int64_t first = 1;
    std::int64_t last = 0;
};

// The bands of rows an entry of the draw list reaches; first > last when none.
struct BandRange {
    std::uint8_t first = 1;
    std::uint8_t last = 0;
};

// What every object of the scene looks like on the bitmap and in the SVG document. It only
// reads the scene, so any number of threads may ask it at once.
class SceneGeometry {
public:
    SceneGeometry(const Scene& scene, int width, int height, int stickRadiusPosition)
        : scene_(scene), stickRadiusPosition_(stickRadiusPosition), halfWidth_(width / 2), halfHeight_(height / 2),
          stickWidth_(PixelOf(double(stickRadiusPosition) / StickRadiusBarMaximum * 2 * scene.ScaleXyz))
    {
        radius_.reserve(static_cast<std::size_t>(scene.LAtom.FCount));
        for (int e = 0; e < scene.LAtom.FCount; ++e)
            radius_.push_back(ToSingle(double(scene.LAtom.Data[e]->Radius) * scene.KRPoint));
    }

    std::optional<BallShape> Ball(int index) const
    {
        const MPoint3DN<float>& p = scene_.LXyzView.Data[index];
        const MAtom* element = Element(p.N);
        if (element == nullptr)
            return std::nullopt;
        const float r = radius_[static_cast<std::size_t>(p.N)];
        const double scale = scene_.ScaleXyz;
        const auto left = PixelOf((double(p.x) - r) * scale + halfWidth_);
        const auto top = PixelOf((double(p.y) - r) * scale + halfHeight_);
        const auto right = PixelOf((double(p.x) + r) * scale + halfWidth_);
        const auto bottom = PixelOf((double(p.y) + r) * scale + halfHeight_);
        if (!left || !top || !right || !bottom)
            return std::nullopt;
        return BallShape{*left, *top, *right, *bottom, RgbOf(element->Color)};
    }

    std::optional<StickShape> Stick(int index) const
    {
        if (!stickWidth_)
            return std::nullopt;
        const Ends ends = EndsOf(index);
        const auto px1 = PixelOf(ends.x1), py1 = PixelOf(ends.y1), px2 = PixelOf(ends.x2), py2 = PixelOf(ends.y2);
        if (!px1 || !py1 || !px2 || !py2)
            return std::nullopt;
        return StickShape{*px1, *py1, *px2, *py2, *stickWidth_};
    }

    // Rows a ball may paint: its box.
    RowRange RowsOfBall(int index) const
    {
        const std::optional<BallShape> ball = Ball(index);
        if (!ball)
            return {};
        return {std::min(ball->top, ball->bottom), std::max(ball->top, ball->bottom) - 1};
    }

    // Rows a stick may paint: its ends and, when it is wide, a width around them.
    RowRange RowsOfStick(int index) const
    {
        const std::optional<StickShape> stick = Stick(index);
        if (!stick)
            return {};
        const std::int64_t margin = stick->width > 1 ? stick->width : 0;
        return {std::min(stick->y1, stick->y2) - margin, std::max(stick->y1, stick->y2) + margin};
    }

    // The SVG ellipse of a ball, or an empty text.
    std::string BallSvg(int index) const
    {
        const MPoint3DN<float>& p = scene_.LXyzView.Data[index];
        const MAtom* element = Element(p.N);
        if (element == nullptr)
            return {};
        const double scale = scene_.ScaleXyz;
        return SvgEllipseLine(element->Name, element->Color, ToSingle(scale * p.x + halfWidth_),
                              ToSingle(scale * p.y + halfHeight_), ToSingle(scale * radius_[static_cast<std::size_t>(p.N)]));
    }

    // The SVG rectangles of a stick: each half of a stick between two elements takes the colour
    // of the ball it touches and is named after the element at its other end.
    void StickSvg(int index, std::vector<std::string>& lines) const
    {
        if (index >= scene_.LStick.FCount)
            return;  // a stick end without its stick names no atoms
        const MStickAtoms& atoms = scene_.LStick.Data[index];
        const int a = ElementIndexOfAtom(atoms.I1);
        const int b = ElementIndexOfAtom(atoms.I2);
        const MAtom* first = Element(a);
        const MAtom* second = Element(b);
        if (first == nullptr || second == nullptr)
            return;
        const Ends e = EndsOf(index);
        const float halfWidth = ToSingle(double(stickRadiusPosition_) * scene_.ScaleXyz / StickRadiusBarMaximum);
        const auto add = [&lines](std::string line) {
            if (!line.empty())
                lines.push_back(std::move(line));
        };
        if (a == b) {
            add(SvgRectLine(e.x1, e.y1, e.x2, e.y2, halfWidth, first->Color, first->Name + "-" + first->Name));
            return;
        }
        const float mx = ToSingle((double(e.x1) + e.x2) * 0.5);
        const float my = ToSingle((double(e.y1) + e.y2) * 0.5);
        add(SvgRectLine(e.x1, e.y1, mx, my, halfWidth, second->Color, first->Name + "-0"));
        add(SvgRectLine(mx, my, e.x2, e.y2, halfWidth, first->Color, second->Name + "-0"));
    }

private:
    // The stick's ends on the bitmap before truncation: (x1, y1) on the ball of atom I2,
    // (x2, y2) on the ball of atom I1.
    struct Ends {
        float x1, y1, x2, y2;
    };

    Ends EndsOf(int index) const
    {
        const MStickEnds& stick = scene_.LStickView.Data[index];
        const double scale = scene_.ScaleXyz;
        return {ToSingle(scale * stick.P1.x + halfWidth_), ToSingle(scale * stick.P1.y + halfHeight_),
                ToSingle(scale * stick.P2.x + halfWidth_), ToSingle(scale * stick.P2.y + halfHeight_)};
    }
    const MAtom* Element(int n) const
    {
        return n >= 0 && n < scene_.LAtom.FCount ? scene_.LAtom.Data[n] : nullptr;
    }
    int ElementIndexOfAtom(int atom) const
    {
        return atom >= 0 && atom < scene_.LXyzView.FCount ? scene_.LXyzView.Data[atom].N : -1;
    }

    const Scene& scene_;
    int stickRadiusPosition_;
    int halfWidth_;
    int halfHeight_;
    std::optional<std::int64_t> stickWidth_;  // every stick's width in pixels, nothing when it has none
    std::vector<float> radius_;               // every element's ball radius, with the ball factor
};

void PaintBall(BallStickRaster& raster, const BallShape& ball) { raster.Ellipse(ball.left, ball.top, ball.right, ball.bottom, ball.fill, Black); }

void PaintStick(BallStickRaster& raster, const StickShape& stick)
{
    raster.Stick(stick.x1, stick.y1, stick.x2, stick.y2, stick.width, Black);
}

// The bitmap cut into bands of rows; row y lies in band y * count / height.
class RowBands {
public:
    RowBands(int height, int threads)
        : height_(std::max(height, 1)), count_(std::clamp(threads * BandsPerThread, 1, std::min(MostBands, height_)))
    {
    }
    int Count() const { return count_; }
    int FirstRow(int band) const { return static_cast<int>((std::int64_t{band} * height_ + count_ - 1) / count_); }
    int LastRow(int band) const { return FirstRow(band + 1) - 1; }
    BandRange Of(const RowRange& rows) const
    {
        const std::int64_t first = std::max<std::int64_t>(rows.first, 0);
        const std::int64_t last = std::min<std::int64_t>(rows.last, height_ - 1);
        if (first > last)
            return {};
        return {static_cast<std::uint8_t>(first * count_ / height_), static_cast<std::uint8_t>(last * count_ / height_)};
    }

private:
    int height_;
    int count_;
};

// The bands every object reaches, by object: balls first, then sticks, as the draw list is laid
// out before sorting. Objects are looked at in their lists' order, so this reads memory in order
// and can run while the draw list is being sorted.
class ObjectBands {
public:
    ObjectBands(const Scene& scene) : atoms_(scene.LXyzView.FCount), bands_(static_cast<std::size_t>(atoms_) + static_cast<std::size_t>(scene.LStickView.FCount)) {}

    std::int64_t Count() const { return static_cast<std::int64_t>(bands_.size()); }

    // The objects [begin, end): the trace's watch post of every ball, and the bands.
    void Find(const Scene& scene, const SceneGeometry& geometry, const RowBands& rows, std::int64_t begin,
              std::int64_t end)
    {
        for (std::int64_t object = begin; object < end; ++object) {
            const auto index = static_cast<int>(object < atoms_ ? object : object - atoms_);
            if (object < atoms_) {
                TraceWatch(ObjectName, "iA", scene.LXyzView.Data[index].N, "TFormMain::DrawCircle");
                bands_[static_cast<std::size_t>(object)] = rows.Of(geometry.RowsOfBall(index));
            } else {
                bands_[static_cast<std::size_t>(object)] = rows.Of(geometry.RowsOfStick(index));
            }
        }
    }

    bool Reaches(const MObj& entry, int band) const
    {
        const BandRange& bands = Of(entry);
        return band >= bands.first && band <= bands.last;
    }

    const BandRange& Of(const MObj& entry) const
    {
        static constexpr BandRange none;
        if (entry.iAtom >= 0)
            return bands_[static_cast<std::size_t>(entry.iAtom)];
        if (entry.iStick >= 0)
            return bands_[static_cast<std::size_t>(atoms_) + static_cast<std::size_t>(entry.iStick)];
        return none;
    }

private:
    std::int64_t atoms_;
    std::vector<BandRange> bands_;
};

// The draw list as painting reads it: its keys while the sort runs, its entries once sorted.
class DrawListReader {
public:
    DrawListReader(const Scene& scene, bool keyed) : scene_(scene), keyed_(keyed) {}
    MObj operator[](int position) const
    {
        return keyed_ ? DrawListKeyEntry(scene_, position) : scene_.LObj.Data[position];
    }
    const Scene& Model() const { return scene_; }

private:
    const Scene& scene_;
    bool keyed_;
};

// Paints the entries at positions begin, begin + step, ... short of end. Far to near (step 1),
// each object is painted over what lies behind it. Near to far (step -1, an OnlyUnpainted
// raster), each object takes only the pixels no nearer object took: the same picture. With
// `reach`, only the objects that reach the band are looked at. A stick right after its twin (the
// same bond the other way round, equally deep, so usually next in the list) would paint the very
// pixels its twin just painted, and is skipped.
void PaintEntries(const SceneGeometry& geometry, const DrawListReader& list, int begin, int end, int step,
                  BallStickRaster raster, const ObjectBands* reach, int band)
{
    const Scene& scene = list.Model();
    std::optional<StickShape> lastStick;
    for (int position = begin; position != end; position += step) {
        // The list's order jumps about the atoms and sticks: ask early for those of this band.
        const int aheadPosition = position + step * Lookahead;
        if (step > 0 ? aheadPosition < end : aheadPosition > end) {
            const MObj ahead = list[aheadPosition];
            if (reach == nullptr || reach->Reaches(ahead, band))
                __builtin_prefetch(ahead.iAtom >= 0 ? static_cast<const void*>(scene.LXyzView.Data + ahead.iAtom)
                                                    : static_cast<const void*>(scene.LStickView.Data + ahead.iStick));
        }
        const MObj entry = list[position];
        if (reach != nullptr && !reach->Reaches(entry, band))
            continue;
        if (entry.iAtom >= 0) {
            if (const std::optional<BallShape> ball = geometry.Ball(entry.iAtom)) {
                PaintBall(raster, *ball);
                lastStick.reset();
            }
        } else if (entry.iStick >= 0) {
            const std::optional<StickShape> stick = geometry.Stick(entry.iStick);
            if (stick && !(lastStick && lastStick->SamePixels(*stick))) {
                PaintStick(raster, *stick);
                lastStick = stick;
            }
        }
    }
}

// The SVG lines of the sorted draw list, made in parts on every core and added in order.
void WriteSvgBody(const Scene& scene, const SceneGeometry& geometry, SvgLines& svg)
{
    const int count = scene.LObj.FCount;
    const std::int64_t parts = std::max<std::int64_t>(1, (count + EntriesPerPart - 1) / EntriesPerPart);
    std::vector<std::vector<std::string>> lines(static_cast<std::size_t>(parts));
    WorkerPool::Shared().Run(parts, [&](std::int64_t part) {
        std::vector<std::string>& out = lines[static_cast<std::size_t>(part)];
        const std::int64_t end = std::min<std::int64_t>(count, (part + 1) * EntriesPerPart);
        for (std::int64_t position = part * EntriesPerPart; position < end; ++position) {
            const MObj& entry = scene.LObj.Data[position];
            if (entry.iAtom >= 0) {
                if (std::string line = geometry.BallSvg(entry.iAtom); !line.empty())
                    out.push_back(std::move(line));
            } else if (entry.iStick >= 0) {
                geometry.StickSvg(entry.iStick, out);
            }
        }
    });
    for (std::vector<std::string>& part : lines)
        for (std::string& line : part)
            svg.push_back(std::move(line));
}

}  // namespace

void SetPaintOrder(PaintOrder order) { ForcedPaintOrder.store(order, std::memory_order_relaxed); }

int SampledDepths(const Scene& scene)
{
    const int atoms = scene.LXyzView.FCount;
    const int step = std::max(1, atoms / DepthSample);
    std::vector<float> depths;
    for (int i = 0; i < atoms && depths.size() < DepthSample; i += step)
        depths.push_back(scene.LXyzView.Data[i].z);
    std::sort(depths.begin(), depths.end());
    return static_cast<int>(std::unique(depths.begin(), depths.end()) - depths.begin());
}

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

PaintOrder ChoosePaintOrder(const Scene& scene)
{
    const int entries = scene.LXyzView.FCount + scene.LStickView.FCount;
    return entries >= NearToFarEntries && SampledDepths(scene) >= NearToFarDepths ? PaintOrder::NearToFar
                                                                                 : PaintOrder::FarToNear;
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
    const PaintOrder forced = ForcedPaintOrder.load(std::memory_order_relaxed);
    const PaintOrder order =
        forced != PaintOrder::Chosen ? forced : ChoosePaintOrder(scene);
    const bool nearToFar = keyed && order == PaintOrder::NearToFar && raster.Height() > 0;
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
        WriteSvgBody(scene, geometry, *svg);
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
