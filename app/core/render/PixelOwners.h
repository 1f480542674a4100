#ifndef PELMORA_APP_CORE_PIXELOWNERS_H
#define PELMORA_APP_CORE_PIXELOWNERS_H

// Which object of a painted scene owns a pixel: the last object in the draw list (the nearest)
// whose shape covers the pixel, asked with the raster's own coverage arithmetic, so the answer is
// the object whose colour the pixel shows. The objects are filed by tiles of the bitmap once, on
// the first question after a painting; a question then looks only at the objects of one tile,
// from the nearest down.

#include <cstdint>
#include <optional>
#include <vector>

#include "Scene.h"
#include "SceneGeometry.h"

class PixelOwners {
public:
    // The scene as it was painted into a width x height bitmap with the stick radius position
    // stickRadiusPosition: LObj sorted as painted, LXyzView and LStickView unchanged since. The
    // scene must outlive this and stay unchanged while it is asked.
    // An index that would take more than maximumEntries entries is not made.
    PixelOwners(const Scene& scene, int width, int height, int stickRadiusPosition,
                std::int64_t maximumEntries = DefaultMaximumEntries);

    // The ball (an index into LXyzView) that painted pixel (x, y); nothing for a pixel a stick
    // painted last, the background, or a pixel outside the bitmap.
    std::optional<int> BallAt(int x, int y) const;

    // The box of a ball's ellipse on the bitmap; nothing for an atom that is not drawn.
    std::optional<BallShape> BallShapeOf(int atom) const;

    // Bitmap pixels a tile of the index spans across and down.
    static constexpr int TileSize = 32;
    // Entries of the index (256 MB) beyond which it is not made (a scene of many long sticks):
    // each question then looks at every object, from the nearest down, with the same answer.
    static constexpr std::int64_t DefaultMaximumEntries = std::int64_t{1} << 26;

private:
    struct TileBox {
        int firstX = 1, lastX = 0, firstY = 1, lastY = 0;
        bool Empty() const { return firstX > lastX || firstY > lastY; }
    };
    TileBox TilesOf(const MObj& entry) const;
    // Whether the object of the entry paints pixel (x, y).
    bool Covers(const MObj& entry, int x, int y) const;
    void File(std::int64_t maximumEntries);

    const Scene& scene_;
    SceneGeometry geometry_;
    int width_;
    int height_;
    int tilesAcross_;
    int tilesDown_;
    bool filed_ = false;
    std::vector<std::int64_t> tileStart_;  // tilesAcross_ * tilesDown_ + 1 offsets into positions_
    std::vector<std::int32_t> positions_;  // draw-list positions by tile, ascending within a tile
};

#endif
