#include "PixelOwners.h"

#include <algorithm>

#include "BallStickRaster.h"
#include "WorkerPool.h"

PixelOwners::PixelOwners(const Scene& scene, int width, int height, int stickRadiusPosition,
                         std::int64_t maximumEntries)
    : scene_(scene), geometry_(scene, width, height, stickRadiusPosition), width_(std::max(width, 0)),
      height_(std::max(height, 0)), tilesAcross_((width_ + TileSize - 1) / TileSize),
      tilesDown_((height_ + TileSize - 1) / TileSize)
{
    File(maximumEntries);
}

PixelOwners::TileBox PixelOwners::TilesOf(const MObj& entry) const
{
    std::int64_t firstX = 1, lastX = 0, firstY = 1, lastY = 0;
    if (entry.iAtom >= 0 && entry.iAtom < scene_.LXyzView.FCount) {
        const std::optional<BallShape> ball = geometry_.Ball(entry.iAtom);
        if (!ball)
            return {};
        // The ellipse touches columns left .. right-1 and rows top .. bottom-1 of its box.
        firstX = std::min(ball->left, ball->right);
        lastX = std::max(ball->left, ball->right) - 1;
        firstY = std::min(ball->top, ball->bottom);
        lastY = std::max(ball->top, ball->bottom) - 1;
    } else if (entry.iStick >= 0 && entry.iStick < scene_.LStickView.FCount) {
        const std::optional<StickShape> stick = geometry_.Stick(entry.iStick);
        if (!stick)
            return {};
        // A wide band reaches half its width (and half a pixel) beyond its ends.
        const std::int64_t margin = stick->width > 1 ? stick->width : 0;
        firstX = std::min(stick->x1, stick->x2) - margin;
        lastX = std::max(stick->x1, stick->x2) + margin;
        firstY = std::min(stick->y1, stick->y2) - margin;
        lastY = std::max(stick->y1, stick->y2) + margin;
    }
    firstX = std::max<std::int64_t>(firstX, 0);
    firstY = std::max<std::int64_t>(firstY, 0);
    lastX = std::min<std::int64_t>(lastX, width_ - 1);
    lastY = std::min<std::int64_t>(lastY, height_ - 1);
    if (firstX > lastX || firstY > lastY)
        return {};
    return {static_cast<int>(firstX / TileSize), static_cast<int>(lastX / TileSize),
            static_cast<int>(firstY / TileSize), static_cast<int>(lastY / TileSize)};
}

namespace {

// What an object's tile box comes to, kept in 4 bytes per object while filing.
constexpr std::uint32_t NoTile = 0xFFFFFFFF;        // paints no pixel of the bitmap
constexpr std::uint32_t SeveralTiles = 0xFFFFFFFE;  // its box is looked at again

// Objects or draw-list positions per part of the parallel passes.
constexpr std::int64_t ItemsPerPart = 65536;

}  // namespace

void PixelOwners::File(std::int64_t maximumEntries)
{
    const int atoms = scene_.LXyzView.FCount;
    const int objects = atoms + scene_.LStickView.FCount;
    const int count = scene_.LObj.FCount;
    const auto tileOf = [this](const TileBox& box) {
        if (box.Empty())
            return NoTile;
        if (box.firstX != box.lastX || box.firstY != box.lastY)
            return SeveralTiles;
        return static_cast<std::uint32_t>(box.firstY) * static_cast<std::uint32_t>(tilesAcross_)
            + static_cast<std::uint32_t>(box.firstX);
    };
    // The tile of every object, in the objects' own order: their lists are read in order.
    std::vector<std::uint32_t> objectTile(static_cast<std::size_t>(objects));
    ParallelRanges(objects, ItemsPerPart, [&](std::int64_t begin, std::int64_t end) {
        for (auto o = static_cast<int>(begin); o < static_cast<int>(end); ++o)
            objectTile[static_cast<std::size_t>(o)] =
                tileOf(TilesOf(o < atoms ? MObj{0, o, -1} : MObj{0, -1, o - atoms}));
    });
    // The tile of every position of the draw list.
    const auto objectOf = [atoms](const MObj& entry) { return entry.iAtom >= 0 ? entry.iAtom : atoms + entry.iStick; };
    std::vector<std::uint32_t> positionTile(static_cast<std::size_t>(count));
    ParallelRanges(count, ItemsPerPart, [&](std::int64_t begin, std::int64_t end) {
        for (auto p = static_cast<int>(begin); p < static_cast<int>(end); ++p) {
            const int object = objectOf(scene_.LObj.Data[p]);
            positionTile[static_cast<std::size_t>(p)] =
                object >= 0 && object < objects ? objectTile[static_cast<std::size_t>(object)] : NoTile;
        }
    });
    objectTile = {};

    const std::size_t tiles = static_cast<std::size_t>(tilesAcross_) * static_cast<std::size_t>(tilesDown_);
    std::vector<std::int64_t> start(tiles + 1, 0);
    std::int64_t entries = 0;
    const auto forEachTile = [&](int p, auto&& visit) {
        const std::uint32_t tile = positionTile[static_cast<std::size_t>(p)];
        if (tile == NoTile)
            return;
        if (tile != SeveralTiles) {
            visit(tile);
            return;
        }
        const TileBox box = TilesOf(scene_.LObj.Data[p]);
        for (int ty = box.firstY; ty <= box.lastY; ++ty)
            for (int tx = box.firstX; tx <= box.lastX; ++tx)
                visit(static_cast<std::uint32_t>(ty) * static_cast<std::uint32_t>(tilesAcross_)
                      + static_cast<std::uint32_t>(tx));
    };
    for (int p = 0; p < count; ++p) {
        if (positionTile[static_cast<std::size_t>(p)] == SeveralTiles) {
            const TileBox box = TilesOf(scene_.LObj.Data[p]);
            entries += std::int64_t{box.lastX - box.firstX + 1} * (box.lastY - box.firstY + 1);
            if (entries > maximumEntries)
                return;  // left unfiled: every question looks at the whole list
        }
        forEachTile(p, [&](std::uint32_t tile) { ++start[tile + 1]; });
    }
    for (std::size_t t = 1; t < start.size(); ++t)
        start[t] += start[t - 1];
    if (start.back() > maximumEntries)
        return;
    positions_.resize(static_cast<std::size_t>(start.back()));
    std::vector<std::int64_t> next(start.begin(), start.end() - 1);
    for (int p = 0; p < count; ++p)
        forEachTile(p, [&](std::uint32_t tile) { positions_[static_cast<std::size_t>(next[tile]++)] = p; });
    tileStart_ = std::move(start);
    filed_ = true;
}

bool PixelOwners::Covers(const MObj& entry, int x, int y) const
{
    if (entry.iAtom >= 0) {
        if (entry.iAtom >= scene_.LXyzView.FCount)
            return false;
        const std::optional<BallShape> ball = geometry_.Ball(entry.iAtom);
        return ball && BallStickRaster::EllipseCovers(ball->left, ball->top, ball->right, ball->bottom, x, y);
    }
    if (entry.iStick < 0 || entry.iStick >= scene_.LStickView.FCount)
        return false;
    const std::optional<StickShape> stick = geometry_.Stick(entry.iStick);
    return stick && BallStickRaster::StickCovers(stick->x1, stick->y1, stick->x2, stick->y2, stick->width, x, y);
}

namespace {

// Painted far to near, the last object to cover the pixel is the one it shows: positions are
// looked at from the last down, and the first that covers the pixel answers.
template <class PositionAt, class CoversPixel>
std::optional<int> LastCovering(const Scene& scene, std::int64_t count, PositionAt positionAt, CoversPixel covers)
{
    for (std::int64_t n = count - 1; n >= 0; --n) {
        const MObj& entry = scene.LObj.Data[positionAt(n)];
        if (covers(entry))
            return entry.iAtom >= 0 ? std::optional<int>(entry.iAtom) : std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> PixelOwners::BallAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return std::nullopt;
    const auto covers = [&](const MObj& entry) { return Covers(entry, x, y); };
    if (!filed_)
        return LastCovering(
            scene_, scene_.LObj.FCount, [](std::int64_t n) { return n; }, covers);
    const std::size_t tile = static_cast<std::size_t>(y / TileSize) * tilesAcross_ + x / TileSize;
    const std::int32_t* first = positions_.data() + tileStart_[tile];
    return LastCovering(
        scene_, tileStart_[tile + 1] - tileStart_[tile], [first](std::int64_t n) { return first[n]; }, covers);
}

std::optional<BallShape> PixelOwners::BallShapeOf(int atom) const
{
    if (atom < 0 || atom >= scene_.LXyzView.FCount)
        return std::nullopt;
    return geometry_.Ball(atom);
}
