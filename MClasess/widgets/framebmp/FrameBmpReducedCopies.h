#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPREDUCEDCOPIES_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMP_FRAMEBMPREDUCEDCOPIES_H

// Reduced copies of the shown picture at 1/2, 1/4, 1/8, ... of its size (level k is reduced 2^k
// times), each pixel the average of a 2 x 2 block of the level above it. A smoothed view that
// shrinks the picture below half draws from the smallest level still at least as large as the
// view, so the final bilinear stretch never skips pixels: that is what makes the smoothed view an
// average rather than a sample.
//
// A level is built when a view first needs it, from the nearest finer level already built, and
// only that level: the first paint of a new picture is smooth at the cost of one or two halvings,
// and a picture that changes on every redraw pays only for the level its view uses.

#include <QImage>
#include <QRectF>

#include <vector>

namespace framebmp {

class TReducedCopies {
public:
    // What to stretch for a smoothed view at `scaleX`, `scaleY` (view pixels per picture pixel):
    // the level the view needs, with the picture rectangle mapped into it, built now if it is not
    // yet built for the picture's current content; the picture itself when the view does not
    // shrink it below half.
    struct TSource {
        const QImage* Image = nullptr;
        QRectF Rect;
    };
    [[nodiscard]] TSource SourceFor(const QImage* picture, const QRectF& pictureRect, double scaleX, double scaleY);

    // The level a view at these scales draws from: the largest k with 2^-k at least both scales,
    // but none deeper than a level of one pixel. 0 is the picture itself.
    [[nodiscard]] static int LevelFor(QSize picture, double scaleX, double scaleY) noexcept;

    // True when `level` is built from this picture object in its current content.
    // QImage::cacheKey changes whenever anyone writes the picture's pixels.
    [[nodiscard]] bool IsBuiltFor(const QImage* picture, int level) const noexcept;

    void Clear() noexcept;

private:
    [[nodiscard]] bool Matches(const QImage* picture) const noexcept;
    const QImage& Level(const QImage& picture, int level);

    const QImage* FPicture = nullptr;
    qint64 FKey = 0;
    QSize FSize;
    std::vector<QImage> FLevels;  // index k holds level k once built; index 0 stays empty
    std::vector<bool> FFresh;     // level k is built from the picture's current content
};

// Halves an RGB32 or premultiplied ARGB32 image, averaging each 2 x 2 block with rounding to
// nearest; an odd last row or column is averaged with itself.
[[nodiscard]] QImage HalveImage(const QImage& source);

}  // namespace framebmp

#endif
