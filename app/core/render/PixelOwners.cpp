#include "PixelOwners.h"

#include <algorithm>

#include "BallStickRaster.h"

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

void PixelOwners::File(std::int64_t maximumEntries)
{
    const int count = scene_.LObj.FCount;
    std::vector<std::int64_t> perTile(static_cast<std::size_t>(tilesAcross_) * tilesDown_ + 1, 0);
    std::int64_t entries = 0;
    for (int p = 0; p < count; ++p) {
        const TileBox box = TilesOf(scene_.LObj.Data[p]);
        if (box.Empty())
            continue;
        entries += std::int64_t{box.lastX - box.firstX + 1} * (box.lastY - box.firstY + 1);
        if (entries > maximumEntries)
            return;  // left unfiled: every question looks at the whole list
        for (int ty = box.firstY; ty <= box.lastY; ++ty)
            for (int tx = box.firstX; tx <= box.lastX; ++tx)
                ++perTile[static_cast<std::size_t>(ty) * tilesAcross_ + tx + 1];
    }
    for (std::size_t t = 1; t < perTile.size(); ++t)
        perTile[t] += perTile[t - 1];
    positions_.resize(static_cast<std::size_t>(entries));
    std::vector<std::int64_t> next(perTile.begin(), perTile.end() - 1);
    for (int p = 0; p < count; ++p) {
        const TileBox box = TilesOf(scene_.LObj.Data[p]);
        for (int ty = box.firstY; ty <= box.lastY; ++ty)
            for (int tx = box.firstX; tx <= box.lastX; ++tx)
                positions_[static_cast<std::size_t>(next[static_cast<std::size_t>(ty) * tilesAcross_ + tx]++)] = p;
    }
    tileStart_ = std::move(perTile);
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
