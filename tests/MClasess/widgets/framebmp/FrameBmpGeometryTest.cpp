// The frame's arithmetic without a widget: zoom law, visible area, coordinate maps, overview
// size and rectangle, the darkening of the overview, the reduced copies for smoothing, the plain
// stretch and the read-out texts.

#include "FrameBmpGeometry.h"
#include "FrameBmpOverview.h"
#include "FrameBmpReducedCopies.h"
#include "FrameBmpStretch.h"
#include "FrameBmpText.h"

#include <QImage>

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

using namespace framebmp;

TEST(FrameBmpGeometry, ZoomLawGivesTheBarRangeAndSteps)
{
    struct Case {
        std::string_view name;
        int w, h, pw, ph;
        double fit, scaleMin, scaleMax;
        TZoomBarRange bar;
    };
    const Case cases[] = {
        {"large picture", 3000, 3000, 700, 500, 1.0 / 6, 1.0 / 12, 100.0 / 12, {8, 833, 4, 40}},
        {"small picture", 100, 50, 700, 500, 7, 1, 100, {100, 10000, 49, 490}},
        // A tiny range still steps by at least 2 and keeps the maximum above the minimum.
        {"huge picture", 100000, 100000, 100, 100, 0.001, 0.0005, 0.05, {0, 5, 2, 20}},
        {"empty paint box", 3000, 3000, 0, 0, 0, 0, 0, {0, 1, 2, 20}},
        {"zero-width picture", 0, 10, 700, 500, 0, 0, 0, {0, 1, 2, 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const double fit = ScaleFit(c.w, c.h, c.pw, c.ph);
        EXPECT_DOUBLE_EQ(fit, c.fit);
        const TScaleLimits limits = ScaleLimitsForFit(fit);
        EXPECT_DOUBLE_EQ(limits.Min, c.scaleMin);
        EXPECT_DOUBLE_EQ(limits.Max, c.scaleMax);
        EXPECT_EQ(ZoomBarRangeFor(limits), c.bar);
    }
}

TEST(FrameBmpGeometry, ClampScaleKeepsTheZoomInsideTheLimits)
{
    const TScaleLimits limits{1.0 / 12, 100.0 / 12};
    EXPECT_DOUBLE_EQ(ClampScale(1000, limits), limits.Max);
    EXPECT_DOUBLE_EQ(ClampScale(0.0001, limits), limits.Min);
    EXPECT_DOUBLE_EQ(ClampScale(0.5, limits), 0.5);
    EXPECT_EQ(ZoomBarPosition(1.0 / 6), 16);
}

TEST(FrameBmpGeometry, ViewAreasOfWorkedExamples)
{
    struct Case {
        std::string_view name;
        int w, h;
        double scale, cx, cy;
        TArea visible, draw;
    };
    const Case cases[] = {
        // Whole picture in view: its first and last rows and columns are not shown.
        {"fit", 3000, 3000, 0.16, 0.5, 0.5, {1, 1, 2999, 2999}, {110, 10, 481, 481}},
        {"small picture at 7", 100, 50, 7, 0.5, 0.5, {0, 0, 100, 50}, {0, 75, 700, 351}},
        {"zoom 4 in the middle", 3000, 3000, 4, 0.5, 0.5, {1413, 1438, 175, 125}, {0, 0, 700, 500}},
        {"zoom 1 at the far corner", 3000, 3000, 1, 1, 1, {2300, 2500, 700, 500}, {0, 0, 700, 500}},
        {"zoom 1 before the near corner", 3000, 3000, 1, 0, 0, {0, 0, 700, 500}, {0, 0, 700, 500}},
        // A picture one pixel wide keeps its only column (W - 1 would leave none).
        {"one pixel wide", 1, 3000, 1.0 / 6, 0.5, 0.5, {0, 0, 1, 3000}, {350, 0, 1, 500}},
        {"one pixel tall", 3000, 1, 7.0 / 30, 0.5, 0.5, {0, 0, 3000, 1}, {0, 250, 700, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TViewAreas areas = ComputeViewAreas(c.w, c.h, 700, 500, c.scale, c.cx, c.cy);
        EXPECT_EQ(areas.Visible, c.visible);
        EXPECT_EQ(areas.Draw, c.draw);
    }
}

TEST(FrameBmpGeometry, CoordinateMapsAreInverseAndReportInside)
{
    const TViewAreas areas = ComputeViewAreas(3000, 3000, 700, 500, 0.16, 0.5, 0.5);

    double x = areas.Visible.X;
    double y = areas.Visible.Y;
    EXPECT_TRUE(BmpToFrame(areas, x, y));
    EXPECT_DOUBLE_EQ(x, areas.Draw.X);
    EXPECT_DOUBLE_EQ(y, areas.Draw.Y);
    EXPECT_TRUE(FrameToBmp(areas, x, y));
    EXPECT_DOUBLE_EQ(x, areas.Visible.X);
    EXPECT_DOUBLE_EQ(y, areas.Visible.Y);

    // One pixel left of the visible area still converts, so callers may extrapolate.
    x = areas.Visible.X - 1;
    y = 1500;
    EXPECT_FALSE(BmpToFrame(areas, x, y));
    EXPECT_LT(x, areas.Draw.X);

    x = areas.Draw.X + areas.Draw.W + 1;
    y = 200;
    EXPECT_FALSE(FrameToBmp(areas, x, y));
    EXPECT_GT(x, areas.Visible.X + areas.Visible.W);

    // Empty areas: picture to frame refuses, frame to picture maps onto the corner.
    const TViewAreas empty{};
    x = 5;
    y = 6;
    EXPECT_FALSE(BmpToFrame(empty, x, y));
    EXPECT_DOUBLE_EQ(x, 5);
    EXPECT_FALSE(FrameToBmp(empty, x, y));
    EXPECT_DOUBLE_EQ(x, 0);
}

TEST(FrameBmpGeometry, OverviewSizeKeepsThePictureShape)
{
    struct Case {
        std::string_view name;
        int w, h;
        TPanelSize size;
    };
    const Case cases[] = {
        {"square", 3000, 3000, {133, 133}}, {"wide small", 100, 50, {183, 95}}, {"wide large", 3000, 1000, {183, 66}},
        {"tall", 1000, 3000, {49, 133}},    {"zero side", 0, 3000, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OverviewPanelSize(c.w, c.h, 700, 500, 4.0), c.size);
    }
}

TEST(FrameBmpGeometry, OverviewRectangleOfTheVisibleArea)
{
    const double scale = 125.0 / 3000;
    EXPECT_EQ(OverviewRectangle({1413, 1438, 175, 125}, scale), (TArea{59, 60, 7, 5}));
    EXPECT_EQ(OverviewRectangle({1, 1, 2999, 2999}, scale), (TArea{0, 0, 125, 125}));
}

TEST(FrameBmpGeometry, DragStepsCatchUpWithTheMouse)
{
    // 100 -> 250 in steps of 70: 170, 240, 250.
    int y = 100;
    int steps = 0;
    while (y != 250) {
        y = StepToward(y, 250, PanStep(700));
        ++steps;
    }
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(StepToward(250, 100, 70), 180);
    EXPECT_EQ(PanStep(5), 1);
}

TEST(FrameBmpGeometry, RoundingHalvesAwayFromZeroAndTruncSaturates)
{
    EXPECT_EQ(RoundHalfAway(109.5), 110);
    EXPECT_EQ(RoundHalfAway(-2.5), -3);
    EXPECT_EQ(RoundHalfAway(-2.4), -2);
    EXPECT_EQ(Trunc(-0.9), 0);
    EXPECT_EQ(Trunc(1e300), 2147483647);
    EXPECT_EQ(Trunc(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(FrameBmpOverview, DarkeningHalvesColourBytesOutsideTheRectangleOnly)
{
    QImage image(6, 5, QImage::Format_ARGB32);
    image.fill(qRgba(7, 100, 201, 255));  // bytes in memory: 201, 100, 7, 255
    DarkenOutside(image, {1, 1, 3, 3});
    // Strictly inside: columns 2 and 3, rows 2 and 3.
    for (int r = 0; r < image.height(); ++r) {
        for (int c = 0; c < image.width(); ++c) {
            SCOPED_TRACE(testing::Message() << "row " << r << " column " << c);
            const bool inside = r >= 2 && r <= 3 && c >= 2 && c <= 3;
            const QRgb expected = inside ? qRgba(7, 100, 201, 255) : qRgba(3, 50, 100, 255);
            EXPECT_EQ(image.pixel(c, r), expected);
        }
    }

    // The rectangle of the whole view darkens only row 0 and column 0.
    QImage whole(125, 125, QImage::Format_RGB32);
    whole.fill(qRgb(200, 200, 200));
    DarkenOutside(whole, {0, 0, 125, 125});
    EXPECT_EQ(whole.pixel(0, 60), qRgb(100, 100, 100));
    EXPECT_EQ(whole.pixel(60, 0), qRgb(100, 100, 100));
    EXPECT_EQ(whole.pixel(124, 124), qRgb(200, 200, 200));
    EXPECT_EQ(whole.pixel(1, 1), qRgb(200, 200, 200));
}

TEST(FrameBmpReducedCopies, HalvingAveragesBlocksAndKeepsOddEdges)
{
    QImage image(3, 3, QImage::Format_RGB32);
    image.fill(Qt::black);
    image.setPixel(0, 0, qRgb(200, 100, 40));
    image.setPixel(1, 0, qRgb(100, 50, 0));
    image.setPixel(2, 2, qRgb(255, 255, 255));
    const QImage half = HalveImage(image);
    ASSERT_EQ(half.size(), QSize(2, 2));
    EXPECT_EQ(half.pixel(0, 0), qRgb(75, 38, 10));     // (200 + 100 + 2) / 4, (100 + 50 + 2) / 4, (40 + 2) / 4
    EXPECT_EQ(half.pixel(1, 1), qRgb(255, 255, 255));  // the odd corner averaged with itself
    EXPECT_EQ(half.pixel(1, 0), qRgb(0, 0, 0));
}

TEST(FrameBmpReducedCopies, HalvingInWideRowsMatchesThePlainAverage)
{
    // Rows long enough for the wide path, odd sizes for the edges, and enough random bytes that
    // every way of rounding four of them comes up.
    QImage image(1027, 65, QImage::Format_ARGB32_Premultiplied);
    std::uint32_t state = 12345;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            state = state * 1664525u + 1013904223u;
            row[x] = state;
        }
    }
    const QImage half = HalveImage(image);
    ASSERT_EQ(half.size(), QSize(514, 33));
    const auto byteAt = [&](int x, int y, int shift) {
        x = std::min(x, image.width() - 1);
        y = std::min(y, image.height() - 1);
        return (reinterpret_cast<const std::uint32_t*>(image.constScanLine(y))[x] >> shift) & 0xFFu;
    };
    std::vector<std::string> wrong;
    for (int y = 0; y < half.height(); ++y) {
        for (int x = 0; x < half.width(); ++x) {
            std::uint32_t expected = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                const std::uint32_t sum = byteAt(2 * x, 2 * y, shift) + byteAt(2 * x + 1, 2 * y, shift)
                    + byteAt(2 * x, 2 * y + 1, shift) + byteAt(2 * x + 1, 2 * y + 1, shift);
                expected |= ((sum + 2) / 4) << shift;
            }
            const std::uint32_t actual = reinterpret_cast<const std::uint32_t*>(half.constScanLine(y))[x];
            if (actual != expected)
                wrong.push_back(testing::PrintToString(x) + "," + testing::PrintToString(y));
        }
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " pixels differ, the first at " << wrong.front();
}

TEST(FrameBmpReducedCopies, AViewDrawsFromTheSmallestLevelNotSmallerThanItself)
{
    struct Case {
        QSize picture;
        double scaleX, scaleY;
        int level;
    };
    const Case cases[] = {
        {{3000, 3000}, 1.0, 1.0, 0},        {{3000, 3000}, 0.51, 0.51, 0},  {{3000, 3000}, 0.5, 0.5, 1},
        {{3000, 3000}, 0.2500001, 0.25, 1}, {{3000, 3000}, 0.25, 0.25, 2},  {{3000, 3000}, 0.16, 0.16, 2},
        {{3000, 3000}, 0.1, 0.3, 1},        {{3000, 3000}, 1e-9, 1e-9, 12}, {{1, 1}, 0.001, 0.001, 0},
        {{3000, 3000}, 8.0, 8.0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.scaleX << " " << c.scaleY);
        EXPECT_EQ(TReducedCopies::LevelFor(c.picture, c.scaleX, c.scaleY), c.level);
    }
}

TEST(FrameBmpReducedCopies, LevelsAreBuiltWhenAViewFirstNeedsThem)
{
    QImage picture(64, 32, QImage::Format_RGB32);
    picture.fill(Qt::white);
    TReducedCopies copies;
    EXPECT_FALSE(copies.IsBuiltFor(&picture, 1));

    // A view above half draws from the picture itself and builds nothing.
    EXPECT_EQ(copies.SourceFor(&picture, QRectF(0, 0, 4, 4), 2, 2).Image, &picture);
    EXPECT_EQ(copies.SourceFor(&picture, QRectF(0, 0, 64, 32), 0.6, 0.6).Image, &picture);
    EXPECT_FALSE(copies.IsBuiltFor(&picture, 1));

    // A quarter-size view takes level 2, with the rectangle mapped into it; nothing deeper is built.
    const auto source = copies.SourceFor(&picture, QRectF(8, 4, 32, 16), 0.25, 0.25);
    ASSERT_TRUE(copies.IsBuiltFor(&picture, 2));
    EXPECT_FALSE(copies.IsBuiltFor(&picture, 3));
    EXPECT_EQ(source.Image->size(), QSize(16, 8));
    EXPECT_EQ(source.Rect, QRectF(2, 1, 8, 4));

    // The owner draws: the copies are stale, and the next view gets a level of the new content.
    picture.fill(Qt::black);
    EXPECT_FALSE(copies.IsBuiltFor(&picture, 2));
    const auto fresh = copies.SourceFor(&picture, QRectF(0, 0, 64, 32), 0.125, 0.125);
    EXPECT_EQ(fresh.Image->size(), QSize(8, 4));
    EXPECT_EQ(fresh.Image->pixel(3, 2), qRgb(0, 0, 0));
    EXPECT_FALSE(copies.IsBuiltFor(&picture, 4));
}

TEST(FrameBmpStretch, PlainStretchRepeatsWhenEnlargingAndAndsWhenShrinking)
{
    constexpr QRgb W = 0xFFFFFFFF;
    constexpr QRgb B = 0xFF000000;
    struct Case {
        std::string_view name;
        std::vector<QRgb> row;
        int viewWidth;
        std::vector<QRgb> expected;
    };
    const Case cases[] = {
        {"a dark pixel survives the merge", {W, W, B, W, W, W}, 2, {B, W}},
        {"colours are ANDed", {0xFFC0C0C0, 0xFF8080FF}, 1, {0xFF8080C0}},
        // Centres 0.3, 0.9 | 1.5 | 2.1, 2.7 of three view pixels.
        {"uneven merge",
         {0xFF000001, 0xFF000003, 0xFF000004, 0xFF000018, 0xFF000038},
         3,
         {0xFF000001, 0xFF000004, 0xFF000018}},
        {"enlarging repeats",
         {0xFF112233, 0xFF445566},
         6,
         {0xFF112233, 0xFF112233, 0xFF112233, 0xFF445566, 0xFF445566, 0xFF445566}},
        {"same size copies", {0xFF010203, B, W}, 3, {0xFF010203, B, W}},
        {"alpha is dropped", {0x80102030}, 2, {0xFF102030, 0xFF102030}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QImage source(static_cast<int>(c.row.size()), 1, QImage::Format_ARGB32);
        for (int x = 0; x < source.width(); ++x)
            source.setPixel(x, 0, c.row[x]);
        // The view lies inside a larger buffer whose other pixels must stay as they were.
        QImage target(c.viewWidth + 2, 3, QImage::Format_RGB32);
        target.fill(qRgb(9, 9, 9));
        StretchBlackOnWhite(target, QRect(1, 1, c.viewWidth, 1), source, source.rect());
        for (int x = 0; x < c.viewWidth; ++x)
            EXPECT_EQ(target.pixel(1 + x, 1), c.expected[x]) << "view pixel " << x;
        EXPECT_EQ(target.pixel(0, 1), qRgb(9, 9, 9));
        EXPECT_EQ(target.pixel(c.viewWidth + 1, 1), qRgb(9, 9, 9));
        EXPECT_EQ(target.pixel(1, 0), qRgb(9, 9, 9));
        EXPECT_EQ(target.pixel(1, 2), qRgb(9, 9, 9));
    }
}

TEST(FrameBmpStretch, RowsMergeLikeColumnsAndOnlyThePictureRectangleIsRead)
{
    // A 3 x 8 rectangle at (1, 1) of a picture in another format, shrunk to 3 x 2 and enlarged to 6 x 16.
    QImage picture(5, 10, QImage::Format_RGB888);
    picture.fill(Qt::black);  // outside the rectangle: would darken everything if it were read
    for (int y = 1; y <= 8; ++y)
        for (int x = 1; x <= 3; ++x)
            picture.setPixel(x, y, qRgb(255, 255, 255));
    picture.setPixel(2, 6, qRgb(255, 0, 0));
    QImage small(3, 2, QImage::Format_RGB32);
    StretchBlackOnWhite(small, small.rect(), picture, QRect(1, 1, 3, 8));
    EXPECT_EQ(small.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(small.pixel(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(small.pixel(0, 1), qRgb(255, 255, 255));

    QImage large(6, 16, QImage::Format_RGB32);
    StretchBlackOnWhite(large, large.rect(), picture, QRect(1, 1, 3, 8));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(large.pixel(x, y), (x / 2 == 1 && y / 2 == 5) ? qRgb(255, 0, 0) : qRgb(255, 255, 255))
                << x << ", " << y;

    // Many rows into one: a dark pixel in any of them wins.
    QImage column(1, 40, QImage::Format_RGB32);
    column.fill(Qt::white);
    column.setPixel(0, 37, qRgb(0, 0, 0));
    QImage two(1, 2, QImage::Format_RGB32);
    StretchBlackOnWhite(two, two.rect(), column, column.rect());
    EXPECT_EQ(two.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(two.pixel(0, 1), qRgb(0, 0, 0));

    // A rectangle outside its image draws nothing.
    large.fill(Qt::green);
    StretchBlackOnWhite(large, QRect(4, 0, 6, 16), picture, QRect(1, 1, 3, 8));
    StretchBlackOnWhite(large, large.rect(), picture, QRect(3, 1, 3, 8));
    EXPECT_EQ(large.pixel(5, 5), qRgb(0, 255, 0));
}

TEST(FrameBmpText, ReadoutTexts)
{
    EXPECT_EQ(ReadoutCaption(12.5, 2960, ColourReadout(qRgb(153, 102, 51)), "."), "x12.5y2960.0=153,102,051");
    EXPECT_EQ(ReadoutCaption(-0.2, 3.0, NoColourReadout, "."), "x-0.2y3.0=---,---,---");
    struct Case {
        double value;
        std::string_view mark, text;
    };
    const Case cases[] = {
        {0.25, ".", "0.3"},  {-0.25, ".", "-0.3"},     {2.75, ",", "2,8"},
        {-0.04, ".", "0.0"}, {1499.96, ".", "1500.0"}, {0.05, ".", "0.1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(FormatOneDecimal(c.value, c.mark), c.text);
    }
}

TEST(FrameBmpGeometry, ZoomBarPositionAndZoomRoundTripExactly)
{
    // The zoom of a position is the double nearest to p / 100, and the position of a zoom is the
    // largest whose zoom does not exceed it: one step back from a position's zoom is the
    // position before.
    std::vector<int> failed;
    for (int position = 0; position <= 1000000; ++position) {
        const double scale = ScaleOfZoomBarPosition(position);
        const double below = std::nextafter(scale, 0.0);
        if (std::bit_cast<std::uint64_t>(scale) != std::bit_cast<std::uint64_t>(position / 100.0)
            || ZoomBarPosition(scale) != position || (position > 0 && ZoomBarPosition(below) != position - 1))
            failed.push_back(position);
    }
    EXPECT_TRUE(failed.empty()) << failed.size() << " positions, the first " << failed.front();

    // Zooms between positions fall to the one below; the bar's ends come out the same way.
    EXPECT_EQ(ZoomBarPosition(1.0 / 6), 16);
    EXPECT_EQ(ZoomBarPosition(0.2899), 28);
    EXPECT_EQ(ZoomBarPosition(0.0), 0);
    EXPECT_EQ(ZoomBarRangeFor({0.29, 29.0}), (TZoomBarRange{29, 2900, 14, 140}));
}
