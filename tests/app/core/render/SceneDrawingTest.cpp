#include "SceneDrawing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>

#include "HandScene.h"
#include "SmallElements.h"
#include "SvgWriter.h"
#include "WorkerPool.h"

namespace {

constexpr QRgb White = 0xFFFFFFFF;
constexpr QRgb Black = 0xFF000000;
constexpr QRgb Red = 0xFFFF0000;
constexpr QRgb Green = 0xFF00FF00;

// The picture as rows of characters: '.' white, '#' black, 'R' red, 'G' green, '?' anything else.
std::string Picture(const QImage& image)
{
    const std::map<QRgb, char> legend = {{White, '.'}, {Black, '#'}, {Red, 'R'}, {Green, 'G'}};
    std::string text = "\n";
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const auto found = legend.find(image.pixel(x, y));
            text += found == legend.end() ? '?' : found->second;
        }
        text += '\n';
    }
    return text;
}

int CountNonWhite(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += row[x] != White;
    }
    return count;
}

TEST(DrawScene, BallsAreFilledEllipsesWithABlackRimInsideTheirTruncatedBox)
{
    // 11 x 9 pixels: the centre is column 5, row 4. At scale 1 the red ball (radius 2.5) at the
    // origin has the box columns trunc(2.5) .. trunc(7.5) and rows trunc(1.5) .. trunc(6.5),
    // right and bottom edges excluded. The green ball (radius 1.75) at (5.5, 3.5) crosses the
    // right edge of the picture and is cut there.
    HandScene hand(1);
    hand.Atom(0, 0, 0, RedIndex);
    hand.Atom(5.5f, 3.5f, 1, GreenIndex);
    QImage bitmap(11, 9, QImage::Format_RGB32);
    DrawScene(hand.scene, bitmap, 500);
    EXPECT_EQ(Picture(bitmap), R"(
...........
...###.....
..#RRR#....
..#RRR#....
..#RRR#....
...###...##
........#GG
........#GG
.........##
)");
}

// The black pixels of one column (or row) of the picture.
int BlackRunAcross(const QImage& image, int x0, int y0, bool alongColumn)
{
    int count = 0;
    const int length = alongColumn ? image.height() : image.width();
    for (int i = 0; i < length; ++i)
        count += image.pixel(alongColumn ? x0 : i, alongColumn ? i : y0) == Black;
    return count;
}

TEST(DrawScene, SticksAreBlackBandsOfTheStickRadiusBarsWidthWithRoundEnds)
{
    struct Case {
        const char* name;
        int stickRadiusPosition;
        int width;  // trunc(Position / 1000 * 2 * ScaleXyz) at scale 10, at least one pixel
    };
    const Case cases[] = {
        {"default half-width 0.5 units", 500, 10},
        {"odd width", 250, 5},
        {"just under three", 149, 2},
        {"one pixel", 50, 1},
        {"zero is one pixel", 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool vertical : {false, true}) {
            SCOPED_TRACE(vertical ? "vertical" : "horizontal");
            // Ends at pixels 20 and 80 of a 101 x 101 picture, both directions of the stick.
            const auto end = [vertical](float along) {
                return vertical ? MPoint3DN<float>{0, along, 0, 0, -1} : MPoint3DN<float>{along, 0, 0, 0, -1};
            };
            HandScene there(10), back(10);
            there.Stick(0, 1, end(3), end(-3));
            back.Stick(1, 0, end(-3), end(3));
            QImage thereBitmap(101, 101, QImage::Format_RGB32), backBitmap(101, 101, QImage::Format_RGB32);
            DrawScene(there.scene, thereBitmap, c.stickRadiusPosition);
            DrawScene(back.scene, backBitmap, c.stickRadiusPosition);
            EXPECT_EQ(BlackRunAcross(thereBitmap, 50, 50, !vertical), c.width);
            EXPECT_EQ(thereBitmap, backBitmap);
        }
    }
}

TEST(DrawScene, WideSticksEndInHalfDiscs)
{
    // Width 10 about the axis y = 49.5 from x = 19.5 to 79.5: the end reaches 5 pixels beyond
    // the end point on the axis, but not into the corner a square end would fill.
    HandScene hand(10);
    hand.Stick(0, 1, {-3, 0, 0, 0, -1}, {3, 0, 0, 0, -1});
    QImage bitmap(101, 101, QImage::Format_RGB32);
    DrawScene(hand.scene, bitmap, 500);
    EXPECT_EQ(bitmap.pixel(15, 49), Black);
    EXPECT_EQ(bitmap.pixel(14, 49), White);
    EXPECT_EQ(bitmap.pixel(15, 45), White);
    EXPECT_EQ(bitmap.pixel(19, 45), Black);
    EXPECT_EQ(bitmap.pixel(84, 50), Black);
    EXPECT_EQ(bitmap.pixel(85, 50), White);
}

TEST(DrawScene, NearerObjectsArePaintedOverFartherOnes)
{
    // Two balls overlapping at the centre pixel (30, 30), and sticks through it in front of or
    // behind them; the pixel shows what was painted last.
    struct Case {
        const char* name;
        float firstZ, secondZ;  // red ball at index 0, green ball at index 1
        float stickZ;           // NaN: no stick
        QRgb centre;
    };
    constexpr float none = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"the nearer green ball covers the red one", 0, 1, none, Green},
        {"the nearer red ball covers the green one", 1, 0, none, Red},
        // The heap sort leaves the first of two equally deep entries last: it ends up on top.
        {"equal depth: the first atom is on top", 0, 0, none, Red},
        {"a stick whose nearer end is in front of the balls covers them", 0, 1, 1.5f, Black},
        {"a stick behind the balls is covered", 0, 1, -1, Green},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HandScene hand(10);
        hand.Atom(-0.2f, 0, c.firstZ, RedIndex);
        hand.Atom(0.2f, 0, c.secondZ, GreenIndex);
        if (!std::isnan(c.stickZ))
            hand.Stick(0, 1, {-1, 0, c.stickZ, 0, -1}, {1, 0, -5, 0, -1});
        QImage bitmap(61, 61, QImage::Format_RGB32);
        DrawScene(hand.scene, bitmap, 100);
        EXPECT_EQ(bitmap.pixel(30, 30), c.centre);
    }
}

TEST(DrawScene, EmptyAndCollapsedScenesLeaveAWhiteBitmap)
{
    Scene empty;
    // A picture of another format and content: it is converted and cleared.
    QImage bitmap(SceneBitmapSize, SceneBitmapSize, QImage::Format_RGB888);
    bitmap.fill(Qt::black);
    DrawScene(empty, bitmap, 500);
    EXPECT_EQ(bitmap.format(), QImage::Format_RGB32);
    EXPECT_EQ(bitmap.size(), QSize(SceneBitmapSize, SceneBitmapSize));
    EXPECT_EQ(CountNonWhite(bitmap), 0);
    EXPECT_EQ(empty.LObj.FCount, 0);

    // With scale 0 every box shrinks to the empty box at the centre.
    HandScene collapsed(0);
    collapsed.Atom(1, 2, 0, RedIndex);
    collapsed.Atom(-3, 1, 1, GreenIndex);
    collapsed.Stick(0, 1, {1, 2, 0, 0, -1}, {-3, 1, 1, 0, -1});
    DrawScene(collapsed.scene, bitmap, 500);
    EXPECT_EQ(CountNonWhite(bitmap), 0);
    EXPECT_EQ(collapsed.scene.LObj.FCount, 3);
}

TEST(DrawScene, PositionsWithoutAPixelAreLeftOutOfPictureAndSvg)
{
    // A stick between two atoms at one place has NaN ends; an atom at 1e30 or at infinity has
    // no pixel. None of them may reach an integer conversion; the ordinary ball is still drawn.
    // An element index past the table has nothing to draw with.
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float infinity = std::numeric_limits<float>::infinity();
    HandScene hand(10);
    hand.Atom(0, 0, 0, RedIndex);
    hand.Atom(1e30f, 0, 1, GreenIndex);
    hand.Atom(0, -infinity, 2, GreenIndex);
    hand.Atom(nan, 0, 3, GreenIndex);
    hand.Atom(0, 0, 4, 99);
    hand.Stick(0, 0, {nan, nan, nan, 0, -1}, {nan, nan, nan, 0, -1});
    hand.Stick(0, 1, {1e30f, 0, 0, 0, -1}, {0, 0, 0, 0, -1});
    QImage bitmap(61, 61, QImage::Format_RGB32);
    SvgLines svg;
    DrawScene(hand.scene, bitmap, 500, &svg);

    EXPECT_EQ(bitmap.pixel(30, 30), Red);
    EXPECT_EQ(bitmap.pixel(0, 30), White);
    std::string document;
    int ellipses = 0;
    for (const std::string& line : svg) {
        document += line + "\n";
        ellipses += line.starts_with("<ellipse");
    }
    EXPECT_EQ(ellipses, 2) << document;  // the red ball and the one at 1e30, a valid SVG number
    EXPECT_EQ(document.find("nan"), std::string::npos) << document;
    EXPECT_EQ(document.find("inf"), std::string::npos) << document;
}

TEST(DrawScene, OpenedFileOnTheSceneBitmap)
{
    // Carbon (radius 0.76) and chlorine (1.02) eight units apart, as a reading of the file
    // "2 / / C -4 0 0 / Cl 4 0 0" leaves them (equally deep: the heap sort puts chlorine first),
    // through the steps of an open.
    Scene scene;
    LoadSmallElements(scene.LAtom);
    scene.LXyz.Add(MPoint3DN<float>{4, 0, 0, ChlorineIndex, -1});
    scene.LXyz.Add(MPoint3DN<float>{-4, 0, 0, CarbonIndex, -1});
    const StickControls controls{false, 0, 500};
    scene.UpdateSticks(controls);
    scene.RebuildTranslation(TranslationCell{});
    scene.UpdateSticks(controls);
    scene.Rotate(ViewAngles{});
    QImage bitmap = MakeSceneBitmap();
    DrawScene(scene, bitmap, 500);

    const double s = scene.ScaleXyz;
    const int centreX = static_cast<int>(-4 * s + 1500);
    const int left = static_cast<int>((-4 - double(0.76f)) * s + 1500);
    const int right = static_cast<int>((-4 + double(0.76f)) * s + 1500);
    const QRgb carbon = qRgb(0x90, 0x90, 0x90);
    EXPECT_EQ(bitmap.pixel(centreX, 1500), carbon);
    EXPECT_EQ(bitmap.pixel(left, 1500), Black);
    EXPECT_EQ(bitmap.pixel(left + 1, 1500), carbon);
    EXPECT_EQ(bitmap.pixel(left - 1, 1500), White);
    EXPECT_EQ(bitmap.pixel(right - 1, 1500), Black);
    EXPECT_EQ(bitmap.pixel(right, 1500), White);
    EXPECT_EQ(bitmap.pixel(10, 10), White);
    EXPECT_EQ(bitmap.pixel(static_cast<int>(4 * s + 1500), 1500), qRgb(0x1F, 0xF0, 0x1F));  // chlorine
}

// The picture and document drawn the plain way, step by step: the whole draw list sorted by the
// list's own heap sort, then every object drawn alone over the whole bitmap, far to near.
struct OneObjectAfterAnother {
    OneObjectAfterAnother(const Scene& scene, QSize size, int stickRadiusPosition) : picture(size, QImage::Format_RGB32)
    {
        picture.fill(White);
        for (int i = 0; i < scene.LXyzView.FCount; ++i)
            list.Add(MObj{scene.LXyzView.Data[i].z, i, -1});
        for (int i = 0; i < scene.LStickView.FCount; ++i)
            list.Add(MObj{scene.LStickView.Data[i].Depth(), -1, i});
        list.Sort();
        SvgBegin(svg, size.width(), size.height());
        for (int i = 0; i < list.FCount; ++i) {
            if (list.Data[i].iAtom >= 0)
                DrawCircle(scene, picture, list.Data[i].iAtom, &svg);
            else
                DrawStick(scene, picture, list.Data[i].iStick, stickRadiusPosition, &svg);
        }
        SvgEnd(svg, size.width(), size.height());
    }
    QImage picture;
    MList<MObj> list;
    SvgLines svg;
};

// A random cloud with its sticks, repeated, centred and turned, as an open builds it.
void BuildRandomScene(Scene& scene, int atoms, bool flat, std::uint32_t randomStart, const ViewAngles& angles)
{
    LoadSmallElements(scene.LAtom);
    std::mt19937 random(randomStart);
    std::uniform_real_distribution<float> coordinate(0, 9);
    std::uniform_int_distribution<int> element(0, 3);
    for (int i = 0; i < atoms; ++i)
        scene.LXyz.Add(MPoint3DN<float>{coordinate(random), coordinate(random), flat ? 0.0f : coordinate(random),
                                        element(random), -1});
    const StickControls sticks{true, 60, 400};
    scene.UpdateSticks(sticks);
    scene.RebuildTranslation(TranslationCell{2, 2, 9, 9, 1.5, 0});
    scene.UpdateSticks(sticks);
    scene.Rotate(angles);
}

TEST(DrawScene, BandsOnEveryCoreGiveThePictureOfOneObjectAfterAnother)
{
    // Flat scenes seen face on make every depth equal, so the heap sort's own order of equal
    // entries decides what lies on top; turned scenes overlap everywhere. The nearest entries
    // may be painted before the sort is done, into pixels none nearer took, and the rest band
    // by band: every way must give the picture of one object over another, far to near. Pictures
    // smaller than the scene cut objects at every edge, and a picture of a few rows has fewer rows
    // than bands.
    struct Case {
        const char* name;
        int atoms;
        bool flat;
        ViewAngles angles;
        QSize size;
        int stickRadius;
    };
    const Case cases[] = {
        {"flat, face on, wide sticks", 150, true, {0, 0, 0}, {301, 257}, 500},
        {"flat, face on, thin sticks", 150, true, {0, 0, 0}, {301, 257}, 30},
        {"turned cloud, odd stick width", 200, false, {300, 1200, 2100}, {257, 301}, 350},
        {"turned cloud cut by a small picture", 200, false, {900, 450, 0}, {61, 47}, 800},
        {"three rows", 120, false, {100, 200, 300}, {200, 3}, 500},
        {"the scene bitmap", 400, false, {300, 200, 0}, {SceneBitmapSize, SceneBitmapSize}, 500},
    };
    WorkerPool& pool = WorkerPool::Shared();
    const int threads = pool.Threads();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        BuildRandomScene(scene, c.atoms, c.flat, 17, c.angles);
        ASSERT_GT(scene.LStickView.FCount, 0);
        const OneObjectAfterAnother expected(scene, c.size, c.stickRadius);
        for (const int limit : {1, 2, 3})
            for (const bool nearToFar : {false, true}) {
                SCOPED_TRACE(testing::Message() << limit << " threads" << (nearToFar ? ", near to far" : ""));
                pool.SetThreadLimit(limit);
                SetPaintOrder(nearToFar ? PaintOrder::NearToFar : PaintOrder::FarToNear);
                QImage picture(c.size, QImage::Format_RGB32);
                picture.fill(Qt::black);
                SvgLines svg;
                DrawScene(scene, picture, c.stickRadius, &svg);
                EXPECT_TRUE(picture == expected.picture);
                EXPECT_EQ(svg, expected.svg);
                ASSERT_EQ(scene.LObj.FCount, expected.list.FCount);
                EXPECT_EQ(
                    std::memcmp(scene.LObj.Data, expected.list.Data, sizeof(MObj) * std::size_t(scene.LObj.FCount)), 0);
            }
        pool.SetThreadLimit(threads);
        SetPaintOrder(PaintOrder::Chosen);
    }
}

// Near to far pays for a long list of many depths only: a list of a few depths sorts in next to
// no time, and painting it far to near costs less than painting into untaken pixels.
TEST(ChoosePaintOrder, NearToFarForLongListsOfManyDepths)
{
    const struct {
        const char* name;
        int balls;
        int depths;
        PaintOrder order;
    } cases[] = {
        {"a long list seen along its plane", 200000, 1, PaintOrder::FarToNear},
        {"a long list of two layers", 200000, 2, PaintOrder::FarToNear},
        {"a long list of four layers", 200000, 4, PaintOrder::NearToFar},
        {"a long list of many depths", 200000, 200000, PaintOrder::NearToFar},
        {"a shorter list of many depths", 199999, 199999, PaintOrder::FarToNear},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        for (int i = 0; i < c.balls; ++i)
            scene.LXyzView.Add(MPoint3DN<float>{float(i % 1000), float(i / 1000), float(i % c.depths), 0, -1});
        EXPECT_EQ(SampledDepths(scene), std::min(c.depths, DepthSample));
        EXPECT_EQ(ChoosePaintOrder(scene), c.order);
    }
}

}  // namespace
