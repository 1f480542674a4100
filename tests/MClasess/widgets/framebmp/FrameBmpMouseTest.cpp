// Mouse, wheel and keys over the main view, driven with events: middle-button pan, wheel zoom,
// the hand cursor, the read-out, the keys and the tooltips.

#include "FrameBmpTestSupport.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

using namespace framebmp_test;

namespace {

struct Loaded {
    std::unique_ptr<TFrameBmp> frame = ShownFrame();
    QImage picture = TwoColourPicture(3000, 3000);
    TRecorder recorder;

    Loaded()
    {
        frame->Load(&picture, true, true);
        recorder.Listen(*frame);
    }
};

struct ColourText {
    std::string text;
    std::string Get(TFrameBmp*, int, int) { return text; }
};

}  // namespace

TEST(FrameBmpMouse, MiddleDragPansInStepsOfATenthOfTheDrawnWidth)
{
    Loaded f;
    f.frame->SetScale(0.5);
    ASSERT_EQ(f.frame->DrawArea.W, 700);
    const double centerY = f.frame->CenterY;
    f.recorder.redraws = 0;
    f.recorder.scaleChanges = 0;

    QTest::mousePress(f.frame->PaintBoxMain, Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(f.frame->PaintBoxMain->cursor().shape(), Qt::ClosedHandCursor);
    QTest::mouseMove(f.frame->PaintBoxMain, QPoint(100, 250));

    // 100 -> 170 -> 240 -> 250: three steps, each redrawn and announced.
    EXPECT_EQ(f.recorder.redraws, 3);
    EXPECT_EQ(f.recorder.scaleChanges, 3);
    EXPECT_NEAR(f.frame->CenterY, centerY - 0.1, 1e-12);
    EXPECT_DOUBLE_EQ(f.frame->CenterX, 0.5);
    // The bars follow the centre without recomputing the view.
    EXPECT_EQ(f.frame->ScrollBarY->value(), 1200);
    EXPECT_FALSE(f.frame->bLockScroll);

    QTest::mouseRelease(f.frame->PaintBoxMain, Qt::MiddleButton, Qt::NoModifier, QPoint(100, 250));
    EXPECT_EQ(f.frame->PaintBoxMain->cursor().shape(), Qt::ClosedHandCursor);  // a release alone keeps it
    HoverMove(f.frame->PaintBoxMain, QPoint(101, 250));
    EXPECT_EQ(f.frame->PaintBoxMain->cursor().shape(), Qt::ArrowCursor);
}

TEST(FrameBmpMouse, PanStopsExactlyAtThePictureEdges)
{
    Loaded f;
    f.frame->SetScale(0.5);
    f.frame->SetCenter(300, 2700);
    QTest::mousePress(f.frame->PaintBoxMain, Qt::MiddleButton, Qt::NoModifier, QPoint(10, 490));
    QTest::mouseMove(f.frame->PaintBoxMain, QPoint(690, 10));
    QTest::mouseRelease(f.frame->PaintBoxMain, Qt::MiddleButton, Qt::NoModifier, QPoint(690, 10));
    EXPECT_EQ(f.frame->CenterX, 0.0);
    EXPECT_EQ(f.frame->CenterY, 1.0);
    EXPECT_EQ(f.frame->ScrollBarX->value(), 0);
    EXPECT_EQ(f.frame->ScrollBarY->value(), 3000);

    // With the move lock the middle button does not pan.
    f.frame->bLockMove = true;
    QTest::mousePress(f.frame->PaintBoxMain, Qt::MiddleButton, Qt::NoModifier, QPoint(300, 300));
    QTest::mouseMove(f.frame->PaintBoxMain, QPoint(100, 100));
    QTest::mouseRelease(f.frame->PaintBoxMain, Qt::MiddleButton, Qt::NoModifier, QPoint(100, 100));
    EXPECT_EQ(f.frame->CenterX, 0.0);
}

TEST(FrameBmpMouse, WheelZoomsByTheSmallStepAroundTheViewCentre)
{
    Loaded f;
    f.frame->SetCenter(900, 2000);
    const double centerX = f.frame->CenterX;
    const double centerY = f.frame->CenterY;

    Wheel(*f.frame, -1);  // toward the user: zoom in
    EXPECT_EQ(f.frame->ScrollBarScale->value(), 20);
    EXPECT_DOUBLE_EQ(f.frame->Scale, 0.2);
    Wheel(*f.frame, -2);
    EXPECT_EQ(f.frame->ScrollBarScale->value(), 28);
    Wheel(*f.frame, 1);
    EXPECT_DOUBLE_EQ(f.frame->Scale, 0.24);
    EXPECT_DOUBLE_EQ(f.frame->CenterX, centerX);
    EXPECT_DOUBLE_EQ(f.frame->CenterY, centerY);

    // At the end of the bar nothing changes and nothing is redrawn.
    f.frame->SetScale(1000);
    f.recorder.redraws = 0;
    Wheel(*f.frame, -1);
    EXPECT_EQ(f.frame->ScrollBarScale->value(), 833);
    EXPECT_EQ(f.recorder.redraws, 0);
}

TEST(FrameBmpMouse, ReadoutShowsPicturePointAndColour)
{
    Loaded f;
    f.picture.setPixel(12, 40, qRgb(153, 102, 51));
    f.frame->Redraw();
    // Zoom 2 with the view at the top-left corner: paint-box (25, 80) is picture (12.5, 40).
    f.frame->SetScale(2);
    f.frame->SetCenter(175, 125);
    ASSERT_EQ(f.frame->VisibleArea.X, 0);
    ASSERT_EQ(f.frame->VisibleArea.Y, 0);

    HoverMove(f.frame->PaintBoxMain, QPoint(25, 80));
    EXPECT_EQ(f.frame->LabelCoordinate->text(), "x12.5y2960.0=153,102,051");
    f.frame->bInvertY = false;
    HoverMove(f.frame->PaintBoxMain, QPoint(25, 81));
    EXPECT_EQ(f.frame->LabelCoordinate->text(), "x12.5y40.5=153,102,051");

    // Outside the picture (left margin at the fitting zoom).
    f.frame->SetScale(-1);
    f.frame->Redraw();
    HoverMove(f.frame->PaintBoxMain, QPoint(50, 250));
    EXPECT_TRUE(f.frame->LabelCoordinate->text().startsWith("x-"));
    EXPECT_TRUE(f.frame->LabelCoordinate->text().endsWith("=---,---,---"));

    // The owner may supply the colour text, or hand it back to the frame.
    ColourText owner{"abc"};
    f.frame->OnGetColor = TFrameGetColor::Of<&ColourText::Get>(&owner);
    HoverMove(f.frame->PaintBoxMain, QPoint(350, 250));
    EXPECT_TRUE(f.frame->LabelCoordinate->text().endsWith("=abc"));
    owner.text = "GetColor";
    HoverMove(f.frame->PaintBoxMain, QPoint(351, 250));
    EXPECT_TRUE(f.frame->LabelCoordinate->text().endsWith("=000,000,192"));
}

TEST(FrameBmpMouse, RepeatedMovesAreDroppedUnlessTheShiftStateChanges)
{
    Loaded f;
    HoverMove(f.frame->PaintBoxMain, QPoint(200, 200));
    HoverMove(f.frame->PaintBoxMain, QPoint(200, 200));
    EXPECT_EQ(f.recorder.moves.size(), 1u);
    HoverMove(f.frame->PaintBoxMain, QPoint(200, 200), Qt::ShiftModifier);
    EXPECT_EQ(f.recorder.moves.size(), 2u);
}

TEST(FrameBmpMouse, LeftOrRightPressHidesTheOverviewUnlessFixed)
{
    Loaded f;
    ASSERT_FALSE(f.frame->PanelS->isHidden());
    QTest::mouseClick(f.frame->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    EXPECT_TRUE(f.frame->PanelS->isHidden());
    EXPECT_EQ(f.recorder.presses.size(), 1u);

    f.frame->MenuItemPaintBoxSFix->trigger();
    EXPECT_FALSE(f.frame->PanelS->isHidden());
    QTest::mouseClick(f.frame->PaintBoxMain, Qt::RightButton, Qt::NoModifier, QPoint(300, 300));
    EXPECT_FALSE(f.frame->PanelS->isHidden());
}

TEST(FrameBmpMouse, KeysZoomPanAndFitOnceTheFrameHasTheFocus)
{
    Loaded f;
    f.frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.frame.get()));
    QTest::mouseClick(f.frame->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
    ASSERT_TRUE(f.frame->hasFocus());
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    };

    // + and - are one wheel step each way, from the keypad too; = is the + key without shift.
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int position;
    };
    const Step steps[] = {{Qt::Key_Plus, Qt::NoModifier, 20},
                          {Qt::Key_Equal, Qt::NoModifier, 24},
                          {Qt::Key_Plus, Qt::KeypadModifier, 28},
                          {Qt::Key_Minus, Qt::NoModifier, 24},
                          {Qt::Key_Minus, Qt::KeypadModifier, 20}};
    for (const Step& step : steps) {
        SCOPED_TRACE(step.position);
        key(step.key, step.modifiers);
        EXPECT_EQ(f.frame->ScrollBarScale->value(), step.position);
        EXPECT_DOUBLE_EQ(f.frame->Scale, step.position / 100.0);
    }

    // The arrows move the view by a tenth of the part shown, and partners hear of it.
    f.frame->SetScale(2);
    ASSERT_EQ(f.frame->VisibleArea.W, 350);
    ASSERT_EQ(f.frame->VisibleArea.H, 250);
    f.recorder.scaleChanges = 0;
    key(Qt::Key_Right);
    EXPECT_EQ(f.frame->ScrollBarX->value(), 1535);
    EXPECT_DOUBLE_EQ(f.frame->CenterX, 1535.0 / 3000);
    key(Qt::Key_Down);
    EXPECT_EQ(f.frame->ScrollBarY->value(), 1525);
    key(Qt::Key_Left);
    key(Qt::Key_Left);
    EXPECT_EQ(f.frame->ScrollBarX->value(), 1465);
    key(Qt::Key_Up);
    EXPECT_EQ(f.frame->ScrollBarY->value(), 1500);
    EXPECT_DOUBLE_EQ(f.frame->CenterY, 0.5);
    EXPECT_EQ(f.recorder.scaleChanges, 5);
    EXPECT_DOUBLE_EQ(f.frame->Scale, 2);

    // Home shows the whole picture, at the zoom a new picture gets.
    key(Qt::Key_Home);
    EXPECT_EQ(f.frame->ScrollBarScale->value(), 16);
    EXPECT_DOUBLE_EQ(f.frame->Scale, 0.16);
    EXPECT_EQ(f.frame->VisibleArea.W, 2999);
    EXPECT_EQ(f.frame->VisibleArea.H, 2999);
}

TEST(FrameBmpMouse, EveryControlExplainsItselfInATooltip)
{
    Loaded f;
    const QWidget* controls[] = {f.frame->SpeedButtonSave,
                                 f.frame->SpeedButtonPoint,
                                 f.frame->SpeedButtonNet,
                                 f.frame->SpeedButtonGray,
                                 f.frame->SpeedButtonShowSyncCursor,
                                 f.frame->UpDownSyncGroup,
                                 f.frame->EditSyncGroup,
                                 f.frame->LabelCoordinate,
                                 f.frame->ScrollBarScale,
                                 f.frame->ScrollBarX,
                                 f.frame->ScrollBarY,
                                 f.frame->PanelMap,
                                 f.frame->PaintBoxS};
    for (const QWidget* control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        EXPECT_FALSE(control->toolTip().isEmpty());
    }
    // The icon of the corner button lets the mouse through, so the button's own tooltip shows.
    EXPECT_TRUE(f.frame->Image2->testAttribute(Qt::WA_TransparentForMouseEvents));
}
