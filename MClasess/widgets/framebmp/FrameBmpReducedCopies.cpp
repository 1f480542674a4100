#include "FrameBmpReducedCopies.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace framebmp {

namespace {

// Average of four 32-bit pixels, each of the four bytes on its own, rounded to nearest. The
// bytes are split into two sets of 16-bit lanes so the sums never carry into a neighbour.
inline std::uint32_t Average4(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) noexcept
{
    constexpr std::uint32_t low = 0x00FF00FFu;
    const std::uint32_t even = ((a & low) + (b & low) + (c & low) + (d & low) + 0x00020002u) >> 2;
    const std::uint32_t odd =
        (((a >> 8) & low) + ((b >> 8) & low) + ((c >> 8) & low) + ((d >> 8) & low) + 0x00020002u) >> 2;
    return (even & low) | ((odd & low) << 8);
}

#if defined(__SSE2__)
inline __m128i LeftPixels(__m128i first, __m128i second) noexcept
{
    return _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(first), _mm_castsi128_ps(second), _MM_SHUFFLE(2, 0, 2, 0)));
}

inline __m128i RightPixels(__m128i first, __m128i second) noexcept
{
    return _mm_castps_si128(_mm_shuffle_ps(_mm_castsi128_ps(first), _mm_castsi128_ps(second), _MM_SHUFFLE(3, 1, 3, 1)));
}

// Four output pixels from eight pixels of each row, byte for byte what Average4 gives. Each pixel
// is first averaged with the one below it and the pair then with its neighbour, both rounding
// up (pavgb); that overshoots (a + b + c + d + 2) / 4 by one exactly when a first average dropped
// a half and the two first averages differ in parity, which the last step takes back.
inline void Halve8(const std::uint32_t* top, const std::uint32_t* bottom, std::uint32_t* out) noexcept
{
    const auto load = [](const std::uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    const __m128i top0 = load(top);
    const __m128i top1 = load(top + 4);
    const __m128i bottom0 = load(bottom);
    const __m128i bottom1 = load(bottom + 4);
    const __m128i down0 = _mm_avg_epu8(top0, bottom0);
    const __m128i down1 = _mm_avg_epu8(top1, bottom1);
    const __m128i odd0 = _mm_xor_si128(top0, bottom0);  // low bit: the pair's sum was odd
    const __m128i odd1 = _mm_xor_si128(top1, bottom1);
    const __m128i left = LeftPixels(down0, down1);
    const __m128i right = RightPixels(down0, down1);
    const __m128i halfDropped = _mm_or_si128(LeftPixels(odd0, odd1), RightPixels(odd0, odd1));
    const __m128i overshoot = _mm_and_si128(_mm_and_si128(halfDropped, _mm_xor_si128(left, right)), _mm_set1_epi8(1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_sub_epi8(_mm_avg_epu8(left, right), overshoot));
}
#endif

void HalveRow(const std::uint32_t* top, const std::uint32_t* bottom, std::uint32_t* out, int sourceWidth) noexcept
{
    const int pairs = sourceWidth / 2;
    int x = 0;
#if defined(__SSE2__)
    for (; x + 4 <= pairs; x += 4)
        Halve8(top + 2 * x, bottom + 2 * x, out + x);
#endif
    for (; x < pairs; ++x)
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

// The level at which the picture's longer side is down to one pixel.
int DeepestLevel(QSize picture) noexcept
{
    const int side = std::max(picture.width(), picture.height());
    int level = 0;
    while (level < 30 && (1 << level) < side)
        ++level;
    return level;
}

}  // namespace

void HalveInto(const QImage& source, QImage& result)
{
    const int w = source.width();
    const int h = source.height();
    const QSize size((w + 1) / 2, (h + 1) / 2);
    if (result.size() != size || result.format() != source.format())
        result = QImage(size, source.format());
    if (result.isNull())
        return;
    for (int y = 0; y < result.height(); ++y) {
        const int topRow = 2 * y;
        const int bottomRow = std::min(topRow + 1, h - 1);
        HalveRow(reinterpret_cast<const std::uint32_t*>(source.constScanLine(topRow)),
                 reinterpret_cast<const std::uint32_t*>(source.constScanLine(bottomRow)),
                 reinterpret_cast<std::uint32_t*>(result.scanLine(y)), w);
    }
}

QImage HalveImage(const QImage& source)
{
    QImage result;
    HalveInto(source, result);
    return result;
}

int TReducedCopies::LevelFor(QSize picture, double scaleX, double scaleY) noexcept
{
    const double scale = std::max(scaleX, scaleY);
    const int deepest = DeepestLevel(picture);
    int level = 0;
    while (level < deepest && !(std::ldexp(1.0, -(level + 1)) < scale))
        ++level;
    return level;
}

bool TReducedCopies::Matches(const QImage* picture) const noexcept
{
    return picture != nullptr && picture == FPicture && picture->cacheKey() == FKey && picture->size() == FSize;
}

bool TReducedCopies::IsBuiltFor(const QImage* picture, int level) const noexcept
{
    return Matches(picture) && level > 0 && level < static_cast<int>(FFresh.size()) && FFresh[level];
}

void TReducedCopies::Clear() noexcept
{
    FLevels.clear();
    FFresh.clear();
    FPicture = nullptr;
    FKey = 0;
    FSize = {};
}

const QImage& TReducedCopies::Level(const QImage& picture, int level)
{
    if (!Matches(&picture)) {
        // New content: every level is stale, but its buffer is kept for the rebuild, so a picture
        // that changes on every redraw does not allocate (and fault in) its copies every time.
        std::fill(FFresh.begin(), FFresh.end(), false);
        FPicture = &picture;
        FKey = picture.cacheKey();
        FSize = picture.size();
    }
    if (static_cast<int>(FLevels.size()) <= level) {
        FLevels.resize(static_cast<std::size_t>(level) + 1);
        FFresh.resize(static_cast<std::size_t>(level) + 1, false);
    }
    int from = level;
    while (from > 0 && !FFresh[from])
        --from;
    if (from == 0) {
        const QImage::Format format = WorkingFormat(picture);
        HalveInto(picture.format() == format ? picture : picture.convertToFormat(format), FLevels[1]);
        FFresh[1] = true;
        from = 1;
    }
    for (int k = from + 1; k <= level; ++k) {
        HalveInto(FLevels[k - 1], FLevels[k]);
        FFresh[k] = true;
    }
    return FLevels[level];
}

TReducedCopies::TSource TReducedCopies::SourceFor(const QImage* picture, const QRectF& pictureRect, double scaleX,
                                                  double scaleY)
{
    TSource source{picture, pictureRect};
    if (picture == nullptr || picture->isNull())
        return source;
    const int level = LevelFor(picture->size(), scaleX, scaleY);
    if (level == 0)
        return source;
    const QImage& copy = Level(*picture, level);
    if (copy.isNull())
        return source;
    // Level pixel i covers picture pixels i 2^k .. (i + 1) 2^k - 1.
    const double f = std::ldexp(1.0, -level);
    source.Image = &copy;
    source.Rect = QRectF(pictureRect.x() * f, pictureRect.y() * f, pictureRect.width() * f, pictureRect.height() * f);
    return source;
}

}  // namespace framebmp
