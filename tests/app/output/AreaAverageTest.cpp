// The exact area average against the plain sum over every old pixel of every new one, on
// pictures of flat runs on a ground (as scenes are) and of noise, at sizes that divide and
// sizes that do not.

#include "AreaAverage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include <QImage>

namespace {

constexpr QRgb White = 0xFFFFFFFF;

// The length of [a0, a1) and [b0, b1) in common.
std::int64_t Overlap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1)
{
    return std::max<std::int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}

// Every new pixel summed over the whole old picture, each old pixel weighted by the area of it
// inside the new pixel (in units of 1 / (old width x new width) by 1 / (old height x new height)).
QImage PlainAverage(const QImage& picture, QSize size)
{
    const std::int64_t ow = picture.width(), oh = picture.height(), nw = size.width(), nh = size.height();
    QImage reduced(size, QImage::Format_RGB32);
    for (std::int64_t j = 0; j < nh; ++j)
        for (std::int64_t i = 0; i < nw; ++i) {
            std::int64_t sums[3] = {0, 0, 0};
            for (std::int64_t y = 0; y < oh; ++y) {
                const std::int64_t dy = Overlap(y * nh, (y + 1) * nh, j * oh, (j + 1) * oh);
                for (std::int64_t x = 0; dy > 0 && x < ow; ++x) {
                    const std::int64_t weight = dy * Overlap(x * nw, (x + 1) * nw, i * ow, (i + 1) * ow);
                    const QRgb pixel = picture.pixel(static_cast<int>(x), static_cast<int>(y));
                    sums[0] += qRed(pixel) * weight;
                    sums[1] += qGreen(pixel) * weight;
                    sums[2] += qBlue(pixel) * weight;
                }
            }
            const std::int64_t area = ow * oh;
            reduced.setPixel(static_cast<int>(i), static_cast<int>(j),
                             qRgb(static_cast<int>((sums[0] + area / 2) / area), static_cast<int>((sums[1] + area / 2) / area),
                                  static_cast<int>((sums[2] + area / 2) / area)));
        }
    return reduced;
}

// White ground with runs of a few colours, some rows repeated, as a drawn scene has them.
QImage Runs(int width, int height, std::mt19937& random)
{
    const QRgb colours[] = {0xFF909090, 0xFFFF0000, 0xFF000000, 0xFF3050F8, White};
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(White);
    for (int y = 0; y < height; ++y) {
        if (y > 0 && random() % 3 == 0) {
            std::copy_n(picture.constScanLine(y - 1), picture.bytesPerLine(), picture.scanLine(y));
            continue;
        }
        for (int x = 0; x < width;) {
            const int length = 1 + static_cast<int>(random() % 40);
            const QRgb colour = random() % 2 == 0 ? White : colours[random() % 5];
            for (int end = std::min(width, x + length); x < end; ++x)
                picture.setPixel(x, y, colour);
        }
    }
    return picture;
}

QImage Noise(int width, int height, std::mt19937& random)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, 0xFF000000 | (random() & 0xFFFFFF));
    return picture;
}

TEST(AreaAverage, EqualsThePlainSumOverEveryOldPixel)
{
    struct Case {
        QSize from, to;
    };
    const Case cases[] = {
        {{6, 6}, {3, 3}},     {{37, 23}, {5, 7}},   {{300, 200}, {51, 37}}, {{64, 48}, {64, 48}},
        {{90, 90}, {89, 1}},  {{1, 70}, {1, 9}},    {{375, 375}, {64, 64}}, {{41, 43}, {40, 43}},
    };
    std::mt19937 random(11);
    for (const Case& c : cases)
        for (const bool noise : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.from.width() << "x" << c.from.height() << " to " << c.to.width()
                                            << "x" << c.to.height() << (noise ? " noise" : " runs"));
            const QImage picture = noise ? Noise(c.from.width(), c.from.height(), random)
                                         : Runs(c.from.width(), c.from.height(), random);
            const QImage reduced = AreaAverage(picture, c.to, White);
            ASSERT_EQ(reduced.format(), QImage::Format_RGB32);
            EXPECT_EQ(reduced, PlainAverage(picture, c.to));
            // The ground only makes the work faster.
            EXPECT_EQ(AreaAverage(picture, c.to, 0xFF000000), reduced);
        }
}

TEST(AreaAverage, AFlatPictureStaysItsColourAndOtherFormatsAreTakenAsRgb)
{
    for (const QRgb colour : {White, 0xFF000000u, 0xFF123456u}) {
        QImage flat(3000, 3000, QImage::Format_RGB32);
        flat.fill(colour);
        const QImage reduced = AreaAverage(flat, {512, 511}, White);
        QImage expected(512, 511, QImage::Format_RGB32);
        expected.fill(colour);
        EXPECT_EQ(reduced, expected) << std::hex << colour;
    }
    std::mt19937 random(5);
    const QImage picture = Runs(50, 30, random);
    EXPECT_EQ(AreaAverage(picture.convertToFormat(QImage::Format_RGB888), {7, 4}, White),
              AreaAverage(picture, {7, 4}, White));
}

TEST(AreaAverage, SizesItCannotMakeGiveANullPicture)
{
    QImage picture(20, 10, QImage::Format_RGB32);
    picture.fill(White);
    for (const QSize size : {QSize(0, 5), QSize(5, 0), QSize(21, 5), QSize(5, 11), QSize(-1, -1)})
        EXPECT_TRUE(AreaAverage(picture, size, White).isNull()) << size.width() << "x" << size.height();
    EXPECT_TRUE(AreaAverage(QImage(), {1, 1}, White).isNull());
}

}  // namespace
