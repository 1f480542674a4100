#include "FrameBmpOverview.h"
#include "FrameBmpStretch.h"

#include <QPainter>

#include <algorithm>
#include <cstdint>

namespace framebmp {

namespace {

inline std::uint32_t Halved(std::uint32_t pixel) noexcept
{
    return (pixel & 0xFF000000u) | ((pixel >> 1) & 0x007F7F7Fu);
}

void DarkenSpan(std::uint32_t* row, int from, int to) noexcept
{
    for (int c = from; c < to; ++c)
        row[c] = Halved(row[c]);
}

QImage Stretch(const QImage& source, const QRectF& sourceRect, QSize size, bool smooth)
{
    QImage result(size, QImage::Format_RGB32);
    result.fill(Qt::black);
    if (!smooth) {
        StretchBlackOnWhite(result, result.rect(), source, sourceRect.toAlignedRect());
        return result;
    }
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(QRectF(QPointF(0, 0), QSizeF(size)), source, sourceRect);
    return result;
}

}  // namespace

void DarkenOutside(QImage& image, const TArea& rectangle)
{
    const int width = image.width();
    // Columns strictly inside, clipped to the image; rows likewise.
    const int innerLeft = std::clamp(rectangle.X + 1, 0, width);
    const int innerRight = std::clamp(rectangle.X + rectangle.W, innerLeft, width);
    for (int r = 0; r < image.height(); ++r) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(r));
        const bool rowInside = rectangle.Y < r && r < rectangle.Y + rectangle.H;
        if (!rowInside) {
            DarkenSpan(row, 0, width);
            continue;
        }
        DarkenSpan(row, 0, innerLeft);
        DarkenSpan(row, innerRight, width);
    }
}

void TFrameBmpOverview::Render(QImage& target, const QImage* picture, QSize size, bool smooth, TReducedCopies& copies,
                               const TArea& rectangle)
{
    if (picture == nullptr || picture->isNull() || size.isEmpty()) {
        target = QImage(size.expandedTo(QSize(0, 0)), QImage::Format_RGB32);
        return;
    }
    const QRectF whole(QPointF(0, 0), QSizeF(picture->size()));
    TReducedCopies::TSource source{picture, whole};
    if (smooth)
        source = copies.SourceFor(picture, whole, static_cast<double>(size.width()) / picture->width(),
                                  static_cast<double>(size.height()) / picture->height());

    const TKey key{picture, picture->cacheKey(), size, smooth, source.Image != picture};
    if (!(key == FKey) || FStretched.isNull()) {
        FStretched = Stretch(*source.Image, source.Rect, size, smooth);
        FKey = key;
    }
    target = FStretched.copy();
    DarkenOutside(target, rectangle);
}

void TFrameBmpOverview::Invalidate() noexcept
{
    FKey = {};
    FStretched = QImage();
}

void TFrameBmpOverview::DrawMarks(QPainter& painter, const TArea& rectangle, QPoint centre)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor::fromRgb(RectangleColour), 1));
    // A one-pixel pen strokes QRect(x, y, w, h) over w + 1 columns; the outline belongs inside.
    if (rectangle.W > 0 && rectangle.H > 0)
        painter.drawRect(rectangle.X, rectangle.Y, rectangle.W - 1, rectangle.H - 1);
    painter.drawEllipse(QRect(centre.x() - 2, centre.y() - 2, 3, 3));
    painter.restore();
}

}  // namespace framebmp
