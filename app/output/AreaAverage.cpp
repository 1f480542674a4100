#include "AreaAverage.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The first pixel from `from` on (before end) that is not colour, or end.
const QRgb* FirstOther(const QRgb* from, const QRgb* end, QRgb colour)
{
#if defined(__SSE2__)
    // Four pixels a compare, sixteen a test: the ground between balls is passed over quickly.
    const __m128i wanted = _mm_set1_epi32(static_cast<int>(colour));
    while (end - from >= 16) {
        __m128i same = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), wanted);
        same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 4)), wanted));
        same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 8)), wanted));
        same = _mm_and_si128(same, _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 12)), wanted));
        if (_mm_movemask_epi8(same) != 0xFFFF)
            break;
        from += 16;
    }
#endif
    while (from < end && *from == colour)
        ++from;
    return from;
}

// The sums of one new row: per new pixel and channel, the weighted differences from the ground.
struct RowSums {
    std::vector<std::int64_t> red, green, blue;
};

// Along an axis of n old pixels reduced to m new ones, old pixel i spans [i m, (i + 1) m) and
// new pixel j spans [j n, (j + 1) n), in units of 1 / (n m) of the axis: a new pixel holds n
// units, an old one m, and since m <= n an old pixel meets one new pixel or two. A new pixel's
// weight over both axes is the old width times the old height.
class Reduction {
public:
    Reduction(const QImage& picture, QSize size, QRgb ground)
        : picture_(picture), size_(size), ground_(ground | 0xFF000000u),
          area_(std::int64_t{picture.width()} * picture.height()), reciprocal_(1.0 / static_cast<double>(area_))
    {
        for (RowSums& sums : rows_)
            for (auto* channel : {&sums.red, &sums.green, &sums.blue})
                channel->assign(static_cast<std::size_t>(size.width()), 0);
    }

    QImage Run()
    {
        QImage reduced(size_, QImage::Format_RGB32);
        if (reduced.isNull())
            return {};
        const std::int64_t oldHeight = picture_.height(), newHeight = size_.height();
        int current = 0;  // the new row rows_[0] holds; rows_[1] holds the one after it
        for (int y = 0; y < picture_.height(); ++y) {
            const std::int64_t start = y * newHeight, end = start + newHeight;
            const auto row = static_cast<int>(start / oldHeight);
            while (current < row)
                Emit(reduced, current++);
            const std::int64_t border = (row + std::int64_t{1}) * oldHeight;
            const std::int64_t first = std::min(end, border) - start;
            AddRow(y, first, end - start - first);
        }
        while (current < size_.height())
            Emit(reduced, current++);
        return reduced;
    }

private:
    // Adds old row y to the current new row with weight `first` and to the next with `second`.
    void AddRow(int y, std::int64_t first, std::int64_t second)
    {
        const auto* line = reinterpret_cast<const QRgb*>(picture_.constScanLine(y));
        const QRgb* const end = line + picture_.width();
        for (const QRgb* at = FirstOther(line, end, ground_); at < end; at = FirstOther(at, end, ground_)) {
            const QRgb colour = *at;
            const QRgb* const runEnd = FirstOther(at + 1, end, colour);
            AddRun(at - line, runEnd - line, colour, first, second);
            at = runEnd;
        }
    }

    // Adds the old pixels left .. right - 1 of one colour to the new pixels they cover.
    void AddRun(std::int64_t left, std::int64_t right, QRgb colour, std::int64_t first, std::int64_t second)
    {
        const std::int64_t oldWidth = picture_.width(), newWidth = size_.width();
        const std::int64_t red = qRed(colour) - qRed(ground_), green = qGreen(colour) - qGreen(ground_),
                           blue = qBlue(colour) - qBlue(ground_);
        const std::int64_t from = left * newWidth, to = right * newWidth;
        for (std::int64_t x = from / oldWidth; x * oldWidth < to; ++x) {
            const std::int64_t units = std::min(to, (x + 1) * oldWidth) - std::max(from, x * oldWidth);
            const auto at = static_cast<std::size_t>(x);
            for (int r = 0; r < 2; ++r) {
                const std::int64_t weight = units * (r == 0 ? first : second);
                if (weight == 0)
                    continue;
                rows_[r].red[at] += red * weight;
                rows_[r].green[at] += green * weight;
                rows_[r].blue[at] += blue * weight;
            }
        }
    }

    // Writes new row y from rows_[0] and moves rows_[1] up.
    void Emit(QImage& reduced, int y)
    {
        auto* line = reinterpret_cast<QRgb*>(reduced.scanLine(y));
        const RowSums& sums = rows_[0];
        for (int x = 0; x < size_.width(); ++x) {
            const auto at = static_cast<std::size_t>(x);
            const std::int64_t red = sums.red[at], green = sums.green[at], blue = sums.blue[at];
            line[x] = (red | green | blue) == 0
                ? ground_
                : qRgb(Mean(qRed(ground_), red), Mean(qGreen(ground_), green), Mean(qBlue(ground_), blue));
        }
        std::swap(rows_[0], rows_[1]);
        for (auto* channel : {&rows_[1].red, &rows_[1].green, &rows_[1].blue})
            std::fill(channel->begin(), channel->end(), 0);
    }

    // The ground's value plus the mean difference, to the nearest integer (halves up): the sum
    // of the old values over the new pixel, whose weights add up to area_, is ground * area_ +
    // differences and never negative.
    int Mean(int ground, std::int64_t differences) const
    {
        // A division by area_ for every channel of every pixel costs more than the whole sum, so
        // the quotient is taken from the reciprocal in doubles and then made exact: the sum is
        // below 2^40, so the estimate is off by one at most.
        const std::int64_t sum = ground * area_ + differences + area_ / 2;
        auto quotient = static_cast<std::int64_t>(static_cast<double>(sum) * reciprocal_);
        if (quotient * area_ > sum)
            --quotient;
        else if ((quotient + 1) * area_ <= sum)
            ++quotient;
        return static_cast<int>(quotient);
    }

    const QImage& picture_;
    const QSize size_;
    const QRgb ground_;
    const std::int64_t area_;  // a new pixel's weight: old width x old height units
    const double reciprocal_;
    RowSums rows_[2];
};

}  // namespace

QImage AreaAverage(const QImage& picture, QSize size, QRgb ground)
{
    if (picture.isNull() || size.width() < 1 || size.height() < 1 || size.width() > picture.width()
        || size.height() > picture.height())
        return {};
    try {
        const QImage rgb = picture.format() == QImage::Format_RGB32 ? picture
                                                                     : picture.convertToFormat(QImage::Format_RGB32);
        if (rgb.isNull())
            return {};
        return Reduction(rgb, size, ground).Run();
    } catch (const std::bad_alloc&) {
        return {};
    }
}
