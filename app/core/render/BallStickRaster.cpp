#include "BallStickRaster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <utility>

namespace {

// The columns first .. last of one row; empty when first > last.
struct RowSpan {
    std::int64_t first = 1;
    std::int64_t last = 0;
    bool Empty() const { return first > last; }
};

// Floor and ceiling of a value well within the 64-bit range (every position here stays within
// a few times MaxRasterCoordinate), without a call into the maths library.
std::int64_t FloorToInteger(double value)
{
    const auto whole = static_cast<std::int64_t>(value);
    return static_cast<double>(whole) > value ? whole - 1 : whole;
}

std::int64_t CeilToInteger(double value)
{
    const auto whole = static_cast<std::int64_t>(value);
    return static_cast<double>(whole) < value ? whole + 1 : whole;
}

// Rounds toward minus infinity; the divisor is positive.
std::int64_t FloorDiv(std::int64_t numerator, std::int64_t divisor)
{
    const std::int64_t quotient = numerator / divisor;
    return (numerator % divisor != 0 && numerator < 0) ? quotient - 1 : quotient;
}

// The painted columns of one row of the ellipse inscribed in the box of width w and height h at
// (left, top). Distances from the centre are doubled so that they stay whole numbers: a pixel is
// inside when (2dx / w)^2 + (2dy / h)^2 <= 1.
RowSpan EllipseRow(std::int64_t left, std::int64_t top, std::int64_t w, std::int64_t h, std::int64_t row)
{
    if (row < top || row >= top + h)
        return {};
    const double twiceDy = static_cast<double>(2 * (row - top) - h + 1);
    const double height = static_cast<double>(h);
    const double twiceDxLimit = static_cast<double>(w) * std::sqrt(height * height - twiceDy * twiceDy) / height;
    const double twiceCentre = static_cast<double>(2 * left + w - 1);
    return {CeilToInteger((twiceCentre - twiceDxLimit) / 2), FloorToInteger((twiceCentre + twiceDxLimit) / 2)};
}

// A one-pixel line as the raster walks it: along its longer axis ("major"), from the lower end,
// so that both directions of a stick round their halfway pixels alike.
struct ThinLineWalk {
    bool steep = false;
    std::int64_t major1 = 0, minor1 = 0, major2 = 0, minor2 = 0;

    ThinLineWalk(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2)
        : steep(std::abs(y2 - y1) > std::abs(x2 - x1)), major1(steep ? y1 : x1), minor1(steep ? x1 : y1),
          major2(steep ? y2 : x2), minor2(steep ? x2 : y2)
    {
        if (major2 < major1 || (major2 == major1 && minor2 < minor1)) {
            std::swap(major1, major2);
            std::swap(minor1, minor2);
        }
    }

    // The minor coordinate nearest the line at major, halves rounded up.
    std::int64_t MinorAt(std::int64_t major) const
    {
        const std::int64_t run = major2 - major1;
        const std::int64_t rise = minor2 - minor1;
        return minor1 + FloorDiv(2 * (major - major1) * rise + run, 2 * run);
    }
};

// A band of a width with round ends, row by row. The ends are put in one fixed order, so both
// directions of a stick give the same arithmetic.
struct BandRows {
    double x1, y1, x2, y2, radius;
    double dx = 0, dy = 0, lengthSquared = 0, reach = 0;

    BandRows(double ax, double ay, double bx, double by, double bandRadius)
        : x1(ax), y1(ay), x2(bx), y2(by), radius(bandRadius)
    {
        if (y2 < y1 || (y2 == y1 && x2 < x1)) {
            std::swap(x1, x2);
            std::swap(y1, y2);
        }
        dx = x2 - x1;
        dy = y2 - y1;
        lengthSquared = dx * dx + dy * dy;
        reach = radius * std::sqrt(lengthSquared);  // |cross product| limit across the axis
    }

    std::int64_t FirstRow() const { return CeilToInteger(y1 - radius); }
    std::int64_t LastRow() const { return FloorToInteger(y2 + radius); }

    RowSpan Row(std::int64_t row) const
    {
        constexpr double infinity = std::numeric_limits<double>::infinity();
        const double y = static_cast<double>(row);
        double low = infinity;
        double high = -infinity;
        // The round ends: a disc around each end.
        for (const auto& [ex, ey] : {std::pair{x1, y1}, std::pair{x2, y2}}) {
            const double across = y - ey;
            if (std::abs(across) <= radius) {
                const double half = std::sqrt(radius * radius - across * across);
                low = std::min(low, ex - half);
                high = std::max(high, ex + half);
            }
        }
        // The straight part: within radius of the axis and between the two ends along it.
        if (lengthSquared > 0) {
            double from = -infinity;
            double to = infinity;
            bool crosses = true;
            const double crossPart = dx * (y - y1);
            if (dy == 0) {
                crosses = std::abs(crossPart) <= reach;
            } else {
                const double a = x1 + (crossPart - reach) / dy;
                const double b = x1 + (crossPart + reach) / dy;
                from = std::max(from, std::min(a, b));
                to = std::min(to, std::max(a, b));
            }
            const double alongPart = dy * (y - y1);
            if (dx == 0) {
                crosses = crosses && alongPart >= 0 && alongPart <= lengthSquared;
            } else {
                const double a = x1 - alongPart / dx;
                const double b = x1 + (lengthSquared - alongPart) / dx;
                from = std::max(from, std::min(a, b));
                to = std::min(to, std::max(a, b));
            }
            if (crosses && from <= to) {
                low = std::min(low, from);
                high = std::max(high, to);
            }
        }
        // The band is convex, so the pieces met on one row join into one run.
        if (!(low <= high))
            return {};
        return {CeilToInteger(low), FloorToInteger(high)};
    }
};

// A band's axis: a band of an even width has no middle pixel, so its axis runs along pixel edges,
// half a pixel up and to the left, and it covers exactly `width` pixels across.
BandRows BandOfStick(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t width)
{
    const double shift = width % 2 == 0 ? -0.5 : 0.0;
    return BandRows(static_cast<double>(x1) + shift, static_cast<double>(y1) + shift, static_cast<double>(x2) + shift,
                    static_cast<double>(y2) + shift, static_cast<double>(width) / 2);
}

bool IsPaintable(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

BallStickRaster::BallStickRaster(QImage& picture)
{
    if (picture.isNull())
        return;  // nothing to paint: no rows
    if (!IsPaintable(picture.format()))
        picture.convertTo(QImage::Format_RGB32);
    // A picture shared with another copy is copied before it is written; without the memory
    // for that copy (or for the conversion above) there are no pixels to write.
    pixels_ = reinterpret_cast<QRgb*>(picture.bits());
    if (pixels_ == nullptr || !IsPaintable(picture.format()))
        throw std::bad_alloc();
    width_ = picture.width();
    height_ = picture.height();
    lastRow_ = height_ - 1;
    pixelsPerLine_ = picture.bytesPerLine() / static_cast<std::int64_t>(sizeof(QRgb));
}

BallStickRaster BallStickRaster::Rows(int firstRow, int lastRow) const
{
    BallStickRaster band = *this;
    band.firstRow_ = std::max<std::int64_t>(firstRow, 0);
    band.lastRow_ = std::min<std::int64_t>(lastRow, height_ - 1);
    return band;
}

BallStickRaster BallStickRaster::OnlyUnpainted() const
{
    BallStickRaster beneath = *this;
    beneath.onlyUnpainted_ = true;
    return beneath;
}

void BallStickRaster::Fill(QRgb color)
{
    for (std::int64_t y = firstRow_; y <= lastRow_; ++y)
        std::fill_n(pixels_ + y * pixelsPerLine_, width_, color);
}

void BallStickRaster::FillUnpainted(QRgb color)
{
    for (std::int64_t y = firstRow_; y <= lastRow_; ++y)
        std::replace(pixels_ + y * pixelsPerLine_, pixels_ + y * pixelsPerLine_ + width_, RasterUnpainted, color);
}

void BallStickRaster::Span(std::int64_t y, std::int64_t x0, std::int64_t x1, QRgb color)
{
    x0 = std::max<std::int64_t>(x0, 0);
    x1 = std::min<std::int64_t>(x1, width_ - 1);
    if (x0 > x1)
        return;
    QRgb* const first = pixels_ + y * pixelsPerLine_ + x0;
    QRgb* const end = pixels_ + y * pixelsPerLine_ + x1 + 1;
    if (onlyUnpainted_)
        std::replace(first, end, RasterUnpainted, color);
    else
        std::fill(first, end, color);
}

void BallStickRaster::Ellipse(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom, QRgb fill,
                              QRgb outline)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const std::int64_t w = right - left;
    const std::int64_t h = bottom - top;
    if (w <= 0 || h <= 0 || right <= 0 || left >= width_)
        return;
    const std::int64_t rowEnd = std::min<std::int64_t>(bottom, lastRow_ + 1);
    std::int64_t y = std::max<std::int64_t>(top, firstRow_);
    if (y >= rowEnd)
        return;
    RowSpan above = EllipseRow(left, top, w, h, y - 1);
    RowSpan current = EllipseRow(left, top, w, h, y);
    for (; y < rowEnd; ++y) {
        const RowSpan below = EllipseRow(left, top, w, h, y + 1);
        // Inside pixels are those whose four neighbours are painted too: within this row's ends
        // and within the spans of the rows above and below.
        const std::int64_t innerFirst = std::max({current.first + 1, above.first, below.first});
        const std::int64_t innerLast = std::min({current.last - 1, above.last, below.last});
        if (above.Empty() || below.Empty() || innerFirst > innerLast) {
            Span(y, current.first, current.last, outline);
        } else {
            Span(y, current.first, innerFirst - 1, outline);
            Span(y, innerFirst, innerLast, fill);
            Span(y, innerLast + 1, current.last, outline);
        }
        above = current;
        current = below;
    }
}

void BallStickRaster::Stick(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, std::int64_t width,
                            QRgb color)
{
    if (width <= 1) {
        ThinLine(x1, y1, x2, y2, color);
        return;
    }
    const BandRows band = BandOfStick(x1, y1, x2, y2, width);
    const std::int64_t rowFirst = std::max<std::int64_t>(band.FirstRow(), firstRow_);
    const std::int64_t rowLast = std::min<std::int64_t>(band.LastRow(), lastRow_);
    for (std::int64_t row = rowFirst; row <= rowLast; ++row)
        if (const RowSpan span = band.Row(row); !span.Empty())
            Span(row, span.first, span.last, color);
}

void BallStickRaster::ThinLine(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2, QRgb color)
{
    if (x1 == x2 && y1 == y2)
        return;
    const ThinLineWalk line(x1, y1, x2, y2);
    const bool steep = line.steep;
    // Rows are limited to the band, columns to the picture.
    const std::int64_t majorFirst = steep ? firstRow_ : 0;
    const std::int64_t majorLast = steep ? lastRow_ : width_ - 1;
    const std::int64_t minorFirst = steep ? 0 : firstRow_;
    const std::int64_t minorLast = steep ? width_ - 1 : lastRow_;
    const std::int64_t first = std::max<std::int64_t>(line.major1, majorFirst);
    const std::int64_t last = std::min<std::int64_t>(line.major2, majorLast);
    for (std::int64_t major = first; major <= last; ++major) {
        const std::int64_t minor = line.MinorAt(major);
        if (minor < minorFirst || minor > minorLast)
            continue;
        QRgb& pixel = steep ? pixels_[major * pixelsPerLine_ + minor] : pixels_[minor * pixelsPerLine_ + major];
        if (!onlyUnpainted_ || pixel == RasterUnpainted)
            pixel = color;
    }
}

bool BallStickRaster::EllipseCovers(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
                                    std::int64_t x, std::int64_t y)
{
    if (right < left)
        std::swap(left, right);
    if (bottom < top)
        std::swap(top, bottom);
    const std::int64_t w = right - left;
    const std::int64_t h = bottom - top;
    if (w <= 0 || h <= 0)
        return false;
    const RowSpan span = EllipseRow(left, top, w, h, y);
    return x >= span.first && x <= span.last;
}

bool BallStickRaster::StickCovers(std::int64_t x1, std::int64_t y1, std::int64_t x2, std::int64_t y2,
                                  std::int64_t width, std::int64_t x, std::int64_t y)
{
    if (width <= 1) {
        if (x1 == x2 && y1 == y2)
            return false;
        const ThinLineWalk line(x1, y1, x2, y2);
        const std::int64_t major = line.steep ? y : x;
        const std::int64_t minor = line.steep ? x : y;
        return major >= line.major1 && major <= line.major2 && line.MinorAt(major) == minor;
    }
    const BandRows band = BandOfStick(x1, y1, x2, y2, width);
    if (y < band.FirstRow() || y > band.LastRow())
        return false;
    const RowSpan span = band.Row(y);
    return x >= span.first && x <= span.last;
}
