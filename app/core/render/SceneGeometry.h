#ifndef PELMORA_APP_CORE_SCENEGEOMETRY_H
#define PELMORA_APP_CORE_SCENEGEOMETRY_H

// The scene's objects in the bitmap's pixels: the box of every ball and the ends of every stick,
// cut toward zero to whole pixels, the rows each may paint, and their SVG lines. The painting
// asks for a shape per entry of the draw list, so the shapes are made here, in the header, where
// the painting loops can inline them.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <QImage>

#include "BallStickRaster.h"
#include "MColor.h"
#include "MSingle.h"
#include "Scene.h"

inline QRgb RgbOf(TColor color)
{
    const auto bits = static_cast<std::uint32_t>(color);
    return qRgb(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                static_cast<int>((bits >> 16) & 0xFF));
}

// A position cut toward zero to a whole pixel; nothing when it is not finite or so far away
// that no integer may hold it.
inline std::optional<std::int64_t> PixelOf(double position)
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

// What every object of the scene looks like on the bitmap and in the SVG document. It only
// reads the scene, so any number of threads may ask it at once.
class SceneGeometry {
public:
    SceneGeometry(const Scene& scene, int width, int height, int stickRadiusPosition);

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
    std::string BallSvg(int index) const;

    // The SVG rectangles of a stick: each half of a stick between two elements takes the colour
    // of the ball it touches and is named after the element at its other end.
    void StickSvg(int index, std::vector<std::string>& lines) const;

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
    const MAtom* Element(int n) const { return n >= 0 && n < scene_.LAtom.FCount ? scene_.LAtom.Data[n] : nullptr; }
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

#endif
