#include "FrameBmpReducedCopies.h"

#include <algorithm>
#include <cstdint>

namespace framebmp {

namespace {

// Average of four 32-bit pixels, each of the four bytes on its own, rounded to nearest. The
// bytes are split into two sets of 16-bit lanes so the sums never carry into a neighbour.
inline std::uint32_t Average4(std::uint32_t a, std::uint32_t b, std::uint32_t c,
                              std::uint32_t d) noexcept
{
    constexpr std::uint32_t low = 0x00FF00FFu;
    const std::uint32_t even = ((a & low) + (b & low) + (c & low) + (d & low) + 0x00020002u) >> 2;
    const std::uint32_t odd =
        (((a >> 8) & low) + ((b >> 8) & low) + ((c >> 8) & low) + ((d >> 8) & low) + 0x00020002u) >> 2;
    return (even & low) | ((odd & low) << 8);
}

void HalveRow(const std::uint32_t* top, const std::uint32_t* bottom, std::uint32_t* out,
              int sourceWidth) noexcept
{
    const int pairs = sourceWidth / 2;
    for (int x = 0; x < pairs; ++x)
        out[x] = Average4(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
    if (sourceWidth % 2 != 0) {
        const int last = sourceWidth - 1;
        out[pairs] = Average4(top[last], top[last], bottom[last], bottom[last]);
    }
}

QImage::Format WorkingFormat(const QImage& picture)
{
    return picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
}

}  // namespace

QImage HalveImage(const QImage& source)
{
    const int w = source.width();
    const int h = source.height();
    QImage result((w + 1) / 2, (h + 1) / 2, source.format());
    if (result.isNull())
        return result;
    for (int y = 0; y < result.height(); ++y) {
        const int topRow = 2 * y;
        const int bottomRow = std::min(topRow + 1, h - 1);
        HalveRow(reinterpret_cast<const std::uint32_t*>(source.constScanLine(topRow)),
                 reinterpret_cast<const std::uint32_t*>(source.constScanLine(bottomRow)),
                 reinterpret_cast<std::uint32_t*>(result.scanLine(y)), w);
    }
    return result;
}

bool TReducedCopies::IsBuiltFor(const QImage* picture) const noexcept
{
    return picture != nullptr && picture == FPicture && picture->cacheKey() == FKey &&
           picture->size() == FSize;
}

void TReducedCopies::Build(const QImage* picture)
{
    Clear();
    if (picture == nullptr || picture->isNull())
        return;
    const QImage::Format format = WorkingFormat(*picture);
    QImage level = HalveImage(picture->format() == format ? *picture : picture->convertToFormat(format));
    while (!level.isNull()) {
        FLevels.push_back(level);
        if (std::max(level.width(), level.height()) <= MinimumSide)
            break;
        level = HalveImage(level);
    }
    FPicture = picture;
    FKey = picture->cacheKey();
    FSize = picture->size();
}

void TReducedCopies::Clear() noexcept
{
    FLevels.clear();
    FPicture = nullptr;
    FKey = 0;
    FSize = {};
}

TReducedCopies::TSource TReducedCopies::SourceFor(const QImage* picture, const QRectF& pictureRect,
                                                  double scaleX, double scaleY) const
{
    TSource source{picture, pictureRect};
    if (!IsBuiltFor(picture))
        return source;
    const double w = picture->width();
    const double h = picture->height();
    for (const QImage& level : FLevels) {
        const double fx = level.width() / w;
        const double fy = level.height() / h;
        // Stop before a copy that would have to be enlarged again.
        if (fx < scaleX || fy < scaleY)
            break;
        source.Image = &level;
        source.Rect = QRectF(pictureRect.x() * fx, pictureRect.y() * fy, pictureRect.width() * fx,
                             pictureRect.height() * fy);
    }
    return source;
}

}  // namespace framebmp
