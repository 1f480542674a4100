#ifndef PELMORA_MCLASESS_WIDGETS_FRAMEBMPREDUCEDCOPIES_H
#define PELMORA_MCLASESS_WIDGETS_FRAMEBMPREDUCEDCOPIES_H

// Reduced copies of the shown picture at 1/2, 1/4, 1/8, ... of its size, each pixel the average
// of a 2 x 2 block of the copy above it. A smoothed view that shrinks the picture draws from the
// smallest copy still at least as large as the view, so the final bilinear stretch never skips
// pixels: that is what makes the smoothed view an average rather than a sample, at the cost of
// one build per picture change instead of a full averaging pass per redraw.

#include <QImage>
#include <QRectF>

#include <vector>

namespace framebmp {

class TReducedCopies {
public:
    // True when the copies were built from this picture object in its current content.
    // QImage::cacheKey changes whenever anyone writes the picture's pixels.
    [[nodiscard]] bool IsBuiltFor(const QImage* picture) const noexcept;

    // Builds the chain down to copies of at most MinimumSide pixels on their longer side.
    void Build(const QImage* picture);
    void Clear() noexcept;

    // What to stretch for a smoothed view at `scale`: the copy and the picture rectangle mapped
    // into it. Falls back to the picture itself when no copy fits or none is built.
    struct TSource {
        const QImage* Image = nullptr;
        QRectF Rect;
    };
    [[nodiscard]] TSource SourceFor(const QImage* picture, const QRectF& pictureRect,
                                    double scaleX, double scaleY) const;

    [[nodiscard]] bool Empty() const noexcept { return FLevels.empty(); }

    static constexpr int MinimumSide = 8;

private:
    const QImage* FPicture = nullptr;
    qint64 FKey = 0;
    QSize FSize;
    std::vector<QImage> FLevels;  // index 0 is half the picture's size
};

// Halves an RGB32 or premultiplied ARGB32 image, averaging each 2 x 2 block; an odd last row or
// column is averaged with itself.
[[nodiscard]] QImage HalveImage(const QImage& source);

}  // namespace framebmp

#endif
