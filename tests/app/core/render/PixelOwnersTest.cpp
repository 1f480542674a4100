#include "PixelOwners.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BallStickRaster.h"
#include "HandScene.h"
#include "SceneDrawing.h"
#include "SceneGeometry.h"

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;

TEST(PixelOwners, APixelBelongsToTheBallWhoseColourItShows)
{
    // A 31 x 31 picture at scale 2, centre (15, 15):
    //   rows 10 .. 17   ..........#RRRR#GGGGG#.........   (row 13)
    //   rows 18, 19     ......##################.......
    // The red ball (radius 2.5) at the centre lies behind the green one (radius 1.75) at (2, 0);
    // a stick two pixels wide lies in front of the red ball's lowest rows; a grey ball of its
    // own sits in the top left corner.
    HandScene hand(2);
    const int red = hand.Atom(0, 0, 0, RedIndex);
    const int green = hand.Atom(2, 0, 1, GreenIndex);
    const int blue = hand.Atom(-7, -7, -1, GreyCarbonIndex);
    hand.Stick(red, blue, {-4, 2, 2, 0, -1}, {4, 2, 2, 0, -1});
    QImage bitmap(31, 31, QImage::Format_RGB32);
    DrawScene(hand.scene, bitmap, 500);
    const PixelOwners owners(hand.scene, bitmap.width(), bitmap.height(), 500);

    struct Case {
        const char* name;
        int x, y;
        std::optional<int> ball;
    };
    const Case cases[] = {
        {"inside the red ball only", 12, 13, red},
        {"the red ball's rim", 10, 13, red},
        {"the nearer green ball's rim over the red ball", 15, 13, green},
        {"inside both: the nearer green one", 16, 13, green},
        {"the green ball's far rim", 21, 13, green},
        {"the stick over the red ball", 12, 18, std::nullopt},
        {"background", 1, 29, std::nullopt},
        {"a ball of its own", 1, 1, blue},
        {"left of the picture", -1, 13, std::nullopt},
        {"below the picture", 12, 31, std::nullopt},
        {"beyond the right edge", 31, 0, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(owners.BallAt(c.x, c.y), c.ball);
        if (c.x >= 0 && c.y >= 0 && c.x < bitmap.width() && c.y < bitmap.height()) {
            // The fixture shows what it claims: a ball's pixel is its colour or its black rim, a
            // stick's black, the background white.
            const QRgb shown = bitmap.pixel(c.x, c.y);
            if (c.ball)
                EXPECT_TRUE(shown == Black
                            || shown == RgbOf(hand.scene.LAtom.Data[hand.scene.LXyzView.Data[*c.ball].N]->Color));
            else
                EXPECT_TRUE(shown == Black || shown == White);
        }
    }
}

// A scene of random balls and sticks in front of one another, some of them equally deep.
void FillRandomly(HandScene& hand, std::mt19937& random, int atoms, int sticks)
{
    std::uniform_real_distribution<float> place(-14, 14);
    std::uniform_int_distribution<int> depth(0, 6);  // few depths: ties decide what is on top
    std::uniform_int_distribution<int> element(0, 3);
    for (int i = 0; i < atoms; ++i)
        hand.Atom(place(random), place(random), static_cast<float>(depth(random)), element(random));
    std::uniform_int_distribution<int> atom(0, atoms - 1);
    for (int s = 0; s < sticks; ++s) {
        const MPoint3DN<float> a{place(random), place(random), static_cast<float>(depth(random)), 0, -1};
        const MPoint3DN<float> b{a.x + place(random) / 3, a.y + place(random) / 3, a.z, 0, -1};
        hand.Stick(atom(random), atom(random), a, b);
    }
}

// The owner of every pixel, painted with the painter's own primitives in the order DrawScene
// left in its draw list: each ball in a colour of its own (rim too), every stick in one colour.
std::vector<std::optional<int>> PaintedOwners(const Scene& scene, int width, int height, int stickRadiusPosition)
{
    constexpr QRgb Background = 0xFFFFFFFF;
    constexpr QRgb StickMark = 0xFFFFFFFE;
    QImage owners(width, height, QImage::Format_RGB32);
    owners.fill(Background);
    BallStickRaster raster(owners);
    const SceneGeometry geometry(scene, width, height, stickRadiusPosition);
    for (int p = 0; p < scene.LObj.FCount; ++p) {
        const MObj& entry = scene.LObj.Data[p];
        if (entry.iAtom >= 0) {
            if (const auto ball = geometry.Ball(entry.iAtom)) {
                const QRgb mark = 0xFF000000u | static_cast<QRgb>(entry.iAtom);
                raster.Ellipse(ball->left, ball->top, ball->right, ball->bottom, mark, mark);
            }
        } else if (const auto stick = geometry.Stick(entry.iStick)) {
            raster.Stick(stick->x1, stick->y1, stick->x2, stick->y2, stick->width, StickMark);
        }
    }
    std::vector<std::optional<int>> result;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const QRgb mark = owners.pixel(x, y);
            result.push_back(mark == Background || mark == StickMark ? std::nullopt
                                                                     : std::optional<int>(mark & 0xFFFFFF));
        }
    return result;
}

TEST(PixelOwners, AgreesWithARepaintInOwnColoursAtEveryPixel)
{
    struct Case {
        const char* name;
        PaintOrder order;
        int stickRadiusPosition;  // 500: sticks 4 pixels wide at scale 4; 60: one pixel
        std::int64_t maximumEntries;
    };
    const Case cases[] = {
        {"far to near, wide sticks", PaintOrder::FarToNear, 500, PixelOwners::DefaultMaximumEntries},
        {"near to far, wide sticks", PaintOrder::NearToFar, 500, PixelOwners::DefaultMaximumEntries},
        {"one-pixel sticks", PaintOrder::FarToNear, 60, PixelOwners::DefaultMaximumEntries},
        {"odd stick width", PaintOrder::NearToFar, 375, PixelOwners::DefaultMaximumEntries},
        {"without the tile index", PaintOrder::FarToNear, 500, 0},
    };
    std::mt19937 random(20261211);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HandScene hand(4);
        FillRandomly(hand, random, 60, 40);
        SetPaintOrder(c.order);
        QImage bitmap(123, 97, QImage::Format_RGB32);  // odd sizes: no tile ends at the edge
        DrawScene(hand.scene, bitmap, c.stickRadiusPosition);
        SetPaintOrder(PaintOrder::Chosen);
        const PixelOwners owners(hand.scene, bitmap.width(), bitmap.height(), c.stickRadiusPosition, c.maximumEntries);
        const std::vector<std::optional<int>> expected =
            PaintedOwners(hand.scene, bitmap.width(), bitmap.height(), c.stickRadiusPosition);
        int balls = 0, mismatches = 0;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x) {
                const std::optional<int> owner = owners.BallAt(x, y);
                const std::optional<int>& painted = expected[static_cast<std::size_t>(y) * bitmap.width() + x];
                balls += owner.has_value();
                if (owner != painted && ++mismatches <= 5)
                    ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
                // The reference itself agrees with the picture DrawScene made.
                const QRgb shown = bitmap.pixel(x, y);
                if (painted) {
                    const QRgb fill = RgbOf(hand.scene.LAtom.Data[hand.scene.LXyzView.Data[*painted].N]->Color);
                    EXPECT_TRUE(shown == fill || shown == Black);
                } else {
                    EXPECT_TRUE(shown == White || shown == Black);
                }
            }
        EXPECT_EQ(mismatches, 0);
        EXPECT_GT(balls, bitmap.width() * bitmap.height() / 10);  // the scene is not empty
    }
}

TEST(PixelOwners, BallsThatAreNotDrawnOwnNothing)
{
    // A ball beyond the raster's reach and one of an element the table lacks are not painted.
    HandScene hand(1);
    hand.Atom(1e12f, 0, 5, RedIndex);
    hand.Atom(0, 0, 4, 17);
    QImage bitmap(11, 11, QImage::Format_RGB32);
    DrawScene(hand.scene, bitmap, 500);
    const PixelOwners owners(hand.scene, bitmap.width(), bitmap.height(), 500);
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 11; ++x)
            EXPECT_EQ(owners.BallAt(x, y), std::nullopt);
    EXPECT_EQ(owners.BallShapeOf(0), std::nullopt);
    EXPECT_EQ(owners.BallShapeOf(2), std::nullopt);
}

}  // namespace
