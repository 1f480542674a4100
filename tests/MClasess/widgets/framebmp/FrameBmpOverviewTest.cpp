// The overview panel: size and place, the darkened buffer with the rectangle, auto-hide and
// "Fix", dragging the rectangle, double clicks, and the corner button.

#include "FrameBmpTestSupport.h"

#include <QAction>
#include <QScrollBar>
#include <QTimer>

using namespace framebmp_test;

namespace {

constexpr QRgb kGreen = 0xFF008000;

}  // namespace

TEST(FrameBmpOverview, SizePlaceAndRectangleOfALargePicture)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Load(&picture, true, true);

    ASSERT_FALSE(frame->PanelS->isHidden());
    EXPECT_EQ(frame->PanelS->geometry(), QRect(700 - 133, 500 - 133, 133, 133));
    EXPECT_EQ(frame->PaintBoxS->size(), QSize(125, 125));
    EXPECT_DOUBLE_EQ(frame->ScalePaintBoxS, 125.0 / 3000);
    EXPECT_EQ(frame->VisibleAreaS, (framebmp::TArea{0, 0, 125, 125}));
    // Only row 0 and column 0 lie outside the rectangle of the whole view.
    EXPECT_EQ(qRed(frame->BmpS.pixel(0, 60)), 0x60);
    EXPECT_EQ(qRed(frame->BmpS.pixel(60, 0)), 0x60);
    EXPECT_EQ(qRed(frame->BmpS.pixel(1, 1)), 0xC0);
    EXPECT_EQ(qBlue(frame->BmpS.pixel(124, 124)), 0xC0);

    frame->SetScale(4);
    EXPECT_EQ(frame->VisibleAreaS, (framebmp::TArea{59, 60, 7, 5}));
    EXPECT_EQ(qRed(frame->BmpS.pixel(30, 30)), 0x60);
    EXPECT_EQ(qRed(frame->BmpS.pixel(60, 62)), 0xC0);

    // On screen: the green outline over the buffer and the circle around (62, 62).
    const QImage shown = frame->PaintBoxS->grab().toImage();
    EXPECT_EQ(shown.pixel(59, 60), kGreen);
    EXPECT_EQ(shown.pixel(65, 64), kGreen);
    int circlePixels = 0;
    for (int y = 60; y <= 64; ++y)
        for (int x = 60; x <= 64; ++x)
            circlePixels += shown.pixel(x, y) == kGreen;
    EXPECT_GE(circlePixels, 4);
}

TEST(FrameBmpOverview, PanelSizeFollowsThePictureShape)
{
    struct Case {
        int w, h;
        QSize panel, box;
    };
    const Case cases[] = {{100, 50, {183, 95}, {175, 87}}, {3000, 1000, {183, 66}, {175, 58}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
        const auto frame = ShownFrame();
        const QImage picture = TwoColourPicture(c.w, c.h);
        frame->Load(&picture, true, true);
        EXPECT_EQ(frame->PanelS->size(), c.panel);
        EXPECT_EQ(frame->PaintBoxS->size(), c.box);
        EXPECT_DOUBLE_EQ(frame->ScalePaintBoxS, static_cast<double>(c.box.height()) / c.h);
    }
}

TEST(FrameBmpOverview, HidesAfterItsTimerUnlessFixed)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Timer1->setInterval(30);
    frame->Load(&picture, true, true);
    ASSERT_FALSE(frame->PanelS->isHidden());
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->PanelS->isHidden(); }, 2000));

    // A scroll-bar change shows it again and restarts the timer; "Fix" keeps it.
    frame->SetCenter(1000, 1000);
    EXPECT_FALSE(frame->PanelS->isHidden());
    frame->MenuItemPaintBoxSFix->trigger();
    ASSERT_TRUE(frame->MenuItemPaintBoxSFix->isChecked());
    QTest::qWait(100);
    EXPECT_FALSE(frame->Timer1->isActive());
    EXPECT_FALSE(frame->PanelS->isHidden());

    // Unfixing lets the timer run out again.
    frame->MenuItemPaintBoxSFix->trigger();
    EXPECT_TRUE(frame->Timer1->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return frame->PanelS->isHidden(); }, 2000));
}

TEST(FrameBmpOverview, LoadWithoutOverviewDefersItsResize)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Load(&picture, true, false);
    EXPECT_TRUE(frame->PanelS->isHidden());
    EXPECT_TRUE(frame->bMapResizePending);
    EXPECT_FALSE(frame->bHideMap);

    frame->SetCenter(1000, 1000);
    EXPECT_FALSE(frame->PanelS->isHidden());
    EXPECT_FALSE(frame->bMapResizePending);
    EXPECT_EQ(frame->PanelS->size(), QSize(133, 133));
}

TEST(FrameBmpOverview, DraggingTheRectangleMovesTheView)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Load(&picture, true, true);
    frame->SetScale(4);
    ASSERT_EQ(frame->VisibleAreaS, (framebmp::TArea{59, 60, 7, 5}));

    // A press outside the rectangle arms nothing, and a later drag from there moves nothing.
    QTest::mousePress(frame->PaintBoxS, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::mouseMove(frame->PaintBoxS, QPoint(40, 40));
    QTest::mouseRelease(frame->PaintBoxS, Qt::LeftButton, Qt::NoModifier, QPoint(40, 40));
    EXPECT_DOUBLE_EQ(frame->CenterX, 0.5);
    EXPECT_DOUBLE_EQ(frame->CenterY, 0.5);

    // Inside: the rectangle follows the mouse (ten overview pixels = 10 / 125 of the picture).
    QTest::mousePress(frame->PaintBoxS, Qt::LeftButton, Qt::NoModifier, QPoint(62, 62));
    EXPECT_EQ(frame->PaintBoxS->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(frame->PaintBoxS, QPoint(72, 57));
    QTest::mouseRelease(frame->PaintBoxS, Qt::LeftButton, Qt::NoModifier, QPoint(72, 57));
    EXPECT_DOUBLE_EQ(frame->CenterX, 0.5 + 10.0 / 125);
    EXPECT_DOUBLE_EQ(frame->CenterY, 0.5 - 5.0 / 125);
    EXPECT_EQ(frame->ScrollBarX->value(), 1740);  // rounded, not truncated
    EXPECT_EQ(frame->ScrollBarY->value(), 1380);
    EXPECT_EQ(frame->PaintBoxS->cursor().shape(), Qt::ArrowCursor);
}

TEST(FrameBmpOverview, DoubleClicksCentreAndFit)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    TRecorder recorder;
    frame->Load(&picture, true, true);
    recorder.Listen(*frame);

    frame->SetScale(2);
    QTest::mouseDClick(frame->PaintBoxS, Qt::LeftButton, Qt::NoModifier, QPoint(25, 100));
    EXPECT_EQ(frame->ScrollBarX->value(), 600);
    EXPECT_EQ(frame->ScrollBarY->value(), 2400);
    EXPECT_DOUBLE_EQ(frame->CenterX, 0.2);
    EXPECT_DOUBLE_EQ(frame->CenterY, 0.8);

    QTest::mouseDClick(frame->PanelMap, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(frame->Scale, 1.0 / 6);
    EXPECT_EQ(frame->ScrollBarScale->value(), 16);

    // With the bar already at the fit, the exact fit is taken without a redraw.
    frame->SetScale(0);
    ASSERT_DOUBLE_EQ(frame->Scale, 0.16);
    recorder.redraws = 0;
    QTest::mouseDClick(frame->PanelMap, Qt::LeftButton);
    EXPECT_DOUBLE_EQ(frame->Scale, 1.0 / 6);
    EXPECT_EQ(recorder.redraws, 0);
}

TEST(FrameBmpOverview, HoverOverTheCornerButtonShowsTheOverview)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Load(&picture, true, true);
    frame->PanelSHide();
    ASSERT_TRUE(frame->PanelS->isHidden());
    HoverMove(frame->PanelMap, QPoint(5, 5));
    EXPECT_FALSE(frame->PanelS->isHidden());
}
