// Pictures reduced to a size by area averaging, and pictures of another shape centred on white.

#include "PictureScaling.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

namespace {

// width x height, the left columns (before split) black and the rest red.
QImage TwoColours(int width, int height, int split)
{
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, x < split ? 0xFF000000 : 0xFFFF0000);
    return picture;
}

TEST(PictureScaling, EachPixelIsTheAverageOfTheAreaItCovers)
{
    // Six columns to three: column 1 covers one black and one red column.
    const QImage reduced = ScaledPicture(TwoColours(6, 6, 3), 3, 3);
    ASSERT_EQ(reduced.size(), QSize(3, 3));
    EXPECT_EQ(reduced.format(), QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(reduced.pixel(0, y), 0xFF000000u);
        EXPECT_NEAR(qRed(reduced.pixel(1, y)), 128, 2);
        EXPECT_EQ(qGreen(reduced.pixel(1, y)), 0);
        EXPECT_EQ(reduced.pixel(2, y), 0xFFFF0000u);
    }
    // A thin line reduced 10 to 1 fades to a tenth of its colour instead of vanishing or staying whole.
    QImage line(100, 100, QImage::Format_RGB32);
    line.fill(0xFFFFFFFF);
    for (int y = 0; y < 100; ++y)
        line.setPixel(45, y, 0xFF000000);
    const QImage thin = ScaledPicture(line, 10, 10);
    EXPECT_NEAR(qRed(thin.pixel(4, 5)), 230, 3);
}

TEST(PictureScaling, OtherShapesAreCentredOnWhiteAndNothingIsEnlarged)
{
    struct Case {
        int width, height;
        QRect scene;  // where the reduced picture lies
    };
    const Case cases[] = {
        {40, 20, {10, 0, 20, 20}},
        {20, 40, {0, 10, 20, 20}},
        {60, 60, {10, 10, 40, 40}},  // larger than the picture: centred, not enlarged
        {40, 40, {0, 0, 40, 40}},
    };
    const QImage black = TwoColours(40, 40, 40);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const QImage framed = ScaledPicture(black, c.width, c.height);
        ASSERT_EQ(framed.size(), QSize(c.width, c.height));
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                ASSERT_EQ(framed.pixel(x, y), c.scene.contains(x, y) ? 0xFF000000u : 0xFFFFFFFFu) << x << "," << y;
    }
    EXPECT_TRUE(ScaledPicture(QImage(), 10, 10).isNull());
    EXPECT_TRUE(ScaledPicture(black, 0, 10).isNull());
}

}  // namespace
