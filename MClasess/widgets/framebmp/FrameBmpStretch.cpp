#include "FrameBmpStretch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace framebmp {

namespace {

// Picture pixels First[d] .. First[d] + Count[d] - 1 make up view pixel d along one axis.
struct TSpanMap {
    std::vector<int> First;
    std::vector<int> Count;
    int Narrowest = 1;
};

TSpanMap MapAxis(int pictureLength, int viewLength)
{
    const std::int64_t n = pictureLength;
    const std::int64_t t = viewLength;
    TSpanMap map;
    map.First.resize(static_cast<std::size_t>(viewLength));
    map.Count.resize(static_cast<std::size_t>(viewLength), 1);
    if (t > n) {
        for (std::int64_t d = 0; d < t; ++d)
            map.First[d] = static_cast<int>((2 * d + 1) * n / (2 * t));
        return map;
    }
    // The first picture pixel whose centre lies in view pixel d: ceil((2 d n - t) / 2 t).
    const auto firstOf = [&](std::int64_t d) {
        return d == 0 ? 0 : static_cast<int>((2 * d * n - t + 2 * t - 1) / (2 * t));
    };
    int first = 0;
    for (std::int64_t d = 0; d < t; ++d) {
        const int next = firstOf(d + 1);
        map.First[d] = first;
        map.Count[d] = next - first;
        first = next;
    }
    map.Narrowest = *std::min_element(map.Count.begin(), map.Count.end());
    return map;
}

// merged[i] = a[i] & b[i]; `merged` may be `a`, or, with `shift` into the same row, `a + shift`
// for an ascending in-place pass (each element is read before it is overwritten).
void AndRows(std::uint32_t* merged, const std::uint32_t* a, const std::uint32_t* b, int count) noexcept
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(merged + i), _mm_and_si128(x, y));
    }
#endif
    for (; i < count; ++i)
        merged[i] = a[i] & b[i];
}

// merged[i] = rows[0][i] & rows[1][i] & ... for `RowCount` rows, all rows read side by side.
template <int RowCount>
void AndBlock(std::uint32_t* merged, const std::uint32_t* const* rows, int count) noexcept
{
    int i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4) {
        __m128i value = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[0] + i));
        for (int r = 1; r < RowCount; ++r)
            value = _mm_and_si128(value, _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[r] + i)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(merged + i), value);
    }
#endif
    for (; i < count; ++i) {
        std::uint32_t value = rows[0][i];
        for (int r = 1; r < RowCount; ++r)
            value &= rows[r][i];
        merged[i] = value;
    }
}

// The same for 2 to kRowsPerPass rows.
void AndBlock(std::uint32_t* merged, const std::uint32_t* const* rows, int rowCount, int count) noexcept
{
    switch (rowCount) {
    case 2:
        AndBlock<2>(merged, rows, count);
        break;
    case 3:
        AndBlock<3>(merged, rows, count);
        break;
    default:
        AndBlock<4>(merged, rows, count);
        break;
    }
}

bool IsReadableInPlace(QImage::Format format)
{
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
        || format == QImage::Format_ARGB32_Premultiplied;
}

const std::uint32_t* PictureRow(const QImage& source, int y, int x)
{
    return reinterpret_cast<const std::uint32_t*>(source.constScanLine(y)) + x;
}

constexpr int kRowsPerPass = 4;
constexpr std::uint32_t kOpaque = 0xFF000000u;  // a view pixel is opaque, whatever the picture's alpha

// The largest power of two that is not above `value` (at least 1).
int PowerOfTwoNotAbove(int value) noexcept
{
    int power = 1;
    while (power * 2 <= value)
        power *= 2;
    return power;
}

// One view row from one merged picture row, which this may overwrite. The blocks along a row are
// all n or n + 1 pixels long (the centres of the picture pixels are evenly spaced); with `span`
// the largest power of two not above n, each block is the union of two windows of `span` pixels,
// its first and its last, and AND does not mind the overlap. Up to four pixels a block is read
// directly; longer blocks take windows that log2(span) passes of shifted ANDs leave in the row.
void MergeColumns(std::uint32_t* line, int width, const TSpanMap& columns, std::uint32_t* out)
{
    const int count = static_cast<int>(columns.First.size());
    const int span = PowerOfTwoNotAbove(columns.Narrowest);
    if (span <= 2) {
        const int inner = span - 1;  // 0: blocks of 1 or 2 pixels, 1: blocks of 2 to 4
        for (int c = 0; c < count; ++c) {
            const int first = columns.First[c];
            const int last = first + columns.Count[c] - 1;
            out[c] = (line[first] & line[first + inner] & line[last - inner] & line[last]) | kOpaque;
        }
        return;
    }
    for (int shift = 1; shift < span; shift *= 2)
        AndRows(line, line, line + shift, width - shift);
    for (int c = 0; c < count; ++c) {
        const int first = columns.First[c];
        out[c] = (line[first] & line[first + columns.Count[c] - span]) | kOpaque;
    }
}

}  // namespace

void StretchBlackOnWhite(QImage& target, const QRect& targetRect, const QImage& source, const QRect& sourceRect)
{
    if (targetRect.isEmpty() || sourceRect.isEmpty() || !target.rect().contains(targetRect)
        || !source.rect().contains(sourceRect) || target.format() != QImage::Format_RGB32)
        return;
    if (!IsReadableInPlace(source.format())) {
        const QImage part = source.copy(sourceRect).convertToFormat(QImage::Format_RGB32);
        StretchBlackOnWhite(target, targetRect, part, part.rect());
        return;
    }
    const TSpanMap rows = MapAxis(sourceRect.height(), targetRect.height());
    const TSpanMap columns = MapAxis(sourceRect.width(), targetRect.width());
    const bool shrinksColumns = sourceRect.width() > targetRect.width();
    const bool plainCopy = sourceRect.width() == targetRect.width() && source.format() == QImage::Format_RGB32;
    const int width = sourceRect.width();
    std::vector<std::uint32_t> merged(static_cast<std::size_t>(width));
    std::vector<const std::uint32_t*> blockRows;
    const std::size_t rowBytes = static_cast<std::size_t>(targetRect.width()) * sizeof(std::uint32_t);
    const qsizetype targetStride = target.bytesPerLine() / static_cast<qsizetype>(sizeof(std::uint32_t));

    for (int d = 0; d < targetRect.height(); ++d) {
        auto* out = reinterpret_cast<std::uint32_t*>(target.scanLine(targetRect.y() + d)) + targetRect.x();
        const int first = rows.First[d];
        // An enlarged row repeats the one above when both show the same picture row.
        if (d > 0 && rows.Count[d] == 1 && rows.Count[d - 1] == 1 && rows.First[d - 1] == first) {
            std::memcpy(out, out - targetStride, rowBytes);
            continue;
        }
        const std::uint32_t* line = PictureRow(source, sourceRect.y() + first, sourceRect.x());
        if (rows.Count[d] > 1) {
            blockRows.resize(static_cast<std::size_t>(rows.Count[d]));
            for (int r = 0; r < rows.Count[d]; ++r)
                blockRows[r] = PictureRow(source, sourceRect.y() + first + r, sourceRect.x());
            // Up to four rows a pass; after the first pass the merged row is one of the four.
            AndBlock(merged.data(), blockRows.data(), std::min(rows.Count[d], kRowsPerPass), width);
            for (int r = kRowsPerPass; r < rows.Count[d]; r += kRowsPerPass - 1) {
                blockRows[r - 1] = merged.data();
                const int passRows = std::min(rows.Count[d] - r + 1, kRowsPerPass);
                AndBlock(merged.data(), blockRows.data() + r - 1, passRows, width);
            }
            line = merged.data();
        } else if (shrinksColumns) {
            std::memcpy(merged.data(), line, merged.size() * sizeof(std::uint32_t));
            line = merged.data();
        }
        if (plainCopy) {
            std::memcpy(out, line, rowBytes);
        } else if (shrinksColumns) {
            MergeColumns(merged.data(), width, columns, out);
        } else {
            for (int c = 0; c < targetRect.width(); ++c)
                out[c] = line[columns.First[c]] | kOpaque;
        }
    }
}

}  // namespace framebmp
