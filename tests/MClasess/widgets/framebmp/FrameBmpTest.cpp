// The frame core on a real widget: its controls, the layout, the zoom law on the zoom bar,
// loading, scale and centre, and what Redraw puts into the view buffer.

#include "FrameBmpTestSupport.h"

#include <QLabel>
#include <QScrollBar>
#include <QToolButton>

#include <bit>
#include <cstdint>

using namespace framebmp_test;

TEST(FrameBmp, EveryControlCarriesItsObjectName)
{
    TFrameBmp frame;
    const char* names[] = {"PanelButton",
                           "SpeedButtonSave",
                           "SpeedButtonPoint",
                           "SpeedButtonNet",
                           "SpeedButtonGray",
                           "PanelSyncGroup",
                           "EditSyncGroup",
                           "UpDownSyncGroup",
                           "SpeedButtonShowSyncCursor",
                           "LabelCoordinate",
                           "PanelPic",
                           "PaintBoxMain",
                           "ScrollBarScale",
                           "ScrollBarX",
                           "ScrollBarY",
                           "PanelMap",
                           "Image2",
                           "PanelS",
                           "PaintBoxS",
                           "ListBoxLPointX",
                           "ListBoxLPointY",
                           "Timer1",
                           "PopupMenuPaintBoxS",
                           "MenuItemPaintBoxSFix"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_NE(frame.findChild<QObject*>(QString::fromLatin1(name)), nullptr);
    }
    // States at start.
    EXPECT_TRUE(frame.SpeedButtonGray->isChecked());
    EXPECT_FALSE(frame.SpeedButtonPoint->isChecked());
    EXPECT_TRUE(frame.PanelSyncGroup->isHidden());
    EXPECT_TRUE(frame.PanelS->isHidden());
    EXPECT_EQ(frame.LColor->FCount, 5);
    EXPECT_EQ(frame.LabelCoordinate->text(), "0:0");
}

TEST(FrameBmp, LayoutPlacesBarsAroundThePaintBox)
{
    const auto frame = ShownFrame();
    EXPECT_EQ(frame->PaintBoxMain->geometry(), QRect(0, 0, 700, 500));
    EXPECT_EQ(frame->ScrollBarX->geometry(), QRect(0, 500, 700, 17));
    EXPECT_EQ(frame->ScrollBarY->geometry(), QRect(700, 0, 17, 500));
    EXPECT_EQ(frame->ScrollBarScale->geometry(), QRect(718, 0, 17, 500));
    EXPECT_EQ(frame->PanelMap->pos(), QPoint(700, 500));

    // Hiding the tool bar gives its room to the view.
    frame->PanelButton->hide();
    EXPECT_EQ(frame->PaintBoxMain->size(), QSize(700, 500 + TFrameBmp::ToolBarHeight));
}

TEST(FrameBmp, LoadOfALargePictureShowsItAtTheFittingZoom)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    ASSERT_TRUE(frame->Load(&picture, true, true));

    EXPECT_DOUBLE_EQ(frame->GetScaleFit(), 1.0 / 6);
    EXPECT_DOUBLE_EQ(frame->ScaleMin, 1.0 / 12);
    EXPECT_DOUBLE_EQ(frame->ScaleMax, 100.0 / 12);
    EXPECT_EQ(frame->ScrollBarScale->minimum(), 8);
    EXPECT_EQ(frame->ScrollBarScale->maximum(), 833);
    EXPECT_EQ(frame->ScrollBarScale->singleStep(), 4);
    EXPECT_EQ(frame->ScrollBarScale->pageStep(), 40);
    EXPECT_EQ(frame->ScrollBarScale->value(), 16);
    EXPECT_DOUBLE_EQ(frame->Scale, 0.16);
    EXPECT_EQ(frame->DrawArea, (framebmp::TArea{110, 10, 481, 481}));
    EXPECT_EQ(frame->VisibleArea, (framebmp::TArea{1, 1, 2999, 2999}));
    EXPECT_EQ(frame->ScrollBarX->value(), 1500);
    EXPECT_EQ(frame->ScrollBarY->maximum(), 3000);
    EXPECT_EQ(frame->ScrollBarX->singleStep(), 30);
    EXPECT_EQ(frame->ScrollBarX->pageStep(), 300);

    // The buffer: margins in the frame's colour, the two halves in their colours.
    const QRgb frameColour = frame->palette().color(QPalette::Window).rgb();
    EXPECT_EQ(frame->BmpMain.size(), QSize(700, 500));
    EXPECT_EQ(frame->BmpMain.pixel(50, 250), frameColour);
    EXPECT_EQ(frame->BmpMain.pixel(130, 250), kLeft);
    EXPECT_EQ(frame->BmpMain.pixel(570, 250), kRight);
    EXPECT_EQ(frame->BmpMain.pixel(650, 250), frameColour);
}

TEST(FrameBmp, SmallPictureIsEnlargedToFit)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(100, 50);
    ASSERT_TRUE(frame->Load(&picture, true, true));
    EXPECT_DOUBLE_EQ(frame->GetScaleFit(), 7);
    EXPECT_EQ(frame->ScrollBarScale->minimum(), 100);
    EXPECT_EQ(frame->ScrollBarScale->maximum(), 10000);
    EXPECT_EQ(frame->ScrollBarScale->singleStep(), 49);
    EXPECT_EQ(frame->ScrollBarScale->pageStep(), 490);
    EXPECT_DOUBLE_EQ(frame->Scale, 7);
    EXPECT_EQ(frame->VisibleArea, (framebmp::TArea{0, 0, 100, 50}));
    EXPECT_EQ(frame->DrawArea, (framebmp::TArea{0, 75, 700, 351}));
}

TEST(FrameBmp, ZoomAndCentreMoveTheVisibleArea)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Load(&picture, true, true);

    ASSERT_TRUE(frame->SetScale(4));
    EXPECT_EQ(frame->ScrollBarScale->value(), 400);
    EXPECT_EQ(frame->VisibleArea, (framebmp::TArea{1413, 1438, 175, 125}));
    EXPECT_EQ(frame->DrawArea, (framebmp::TArea{0, 0, 700, 500}));

    ASSERT_TRUE(frame->SetScale(1));
    ASSERT_TRUE(frame->SetCenter(3000, 3000));
    EXPECT_DOUBLE_EQ(frame->CenterX, 1);
    EXPECT_DOUBLE_EQ(frame->CenterY, 1);
    EXPECT_EQ(frame->VisibleArea, (framebmp::TArea{2300, 2500, 700, 500}));

    // A negative coordinate keeps that bar.
    ASSERT_TRUE(frame->SetCenter(-1, 200));
    EXPECT_EQ(frame->ScrollBarX->value(), 3000);
    EXPECT_EQ(frame->ScrollBarY->value(), 200);
    EXPECT_DOUBLE_EQ(frame->CenterY, 200.0 / 3000);

    // Only x changes: the view follows at once although the y bar reports no change.
    ASSERT_TRUE(frame->SetCenter(1000, -1));
    EXPECT_DOUBLE_EQ(frame->CenterX, 1000.0 / 3000);
    EXPECT_EQ(frame->VisibleArea.X, 650);
}

TEST(FrameBmp, SetScaleClampsAndRefusesReentry)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Load(&picture, true, true);

    struct Case {
        double asked, result;
    };
    const Case cases[] = {{1000, 100.0 / 12}, {0.0001, 1.0 / 12}, {-1, 1.0 / 6}, {2.5, 2.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.asked);
        ASSERT_TRUE(frame->SetScale(c.asked));
        EXPECT_DOUBLE_EQ(frame->Scale, c.result);
    }

    // A zoom-bar change inside SetScale runs the bar's handlers; another SetScale there fails.
    std::vector<bool> nested;
    QObject::connect(frame->ScrollBarScale, &QScrollBar::valueChanged, frame.get(),
                     [&] { nested.push_back(frame->SetScale(5)); });
    ASSERT_TRUE(frame->SetScale(3));
    ASSERT_EQ(nested.size(), 1u);
    EXPECT_FALSE(nested[0]);
    EXPECT_DOUBLE_EQ(frame->Scale, 3);
    EXPECT_FALSE(frame->bLockScale);
}

TEST(FrameBmp, LoadWithoutResetKeepsZoomAndPosition)
{
    const auto frame = ShownFrame();
    const QImage first = TwoColourPicture(3000, 3000);
    const QImage second = TwoColourPicture(3000, 3000);
    frame->Load(&first, true, true);
    frame->SetScale(2);
    frame->SetCenter(900, 800);
    ASSERT_TRUE(frame->Load(&second, false, false));
    EXPECT_EQ(frame->Bmp, &second);
    EXPECT_DOUBLE_EQ(frame->Scale, 2);
    EXPECT_EQ(frame->ScrollBarX->value(), 900);
    EXPECT_EQ(frame->ScrollBarY->value(), 800);
    EXPECT_FALSE(frame->bHideMap);
}

TEST(FrameBmp, WithoutPictureOperationsDoNothingButPressesAreReported)
{
    const auto frame = ShownFrame();
    TRecorder recorder;
    recorder.Listen(*frame);
    EXPECT_FALSE(frame->Load(nullptr, true, true));
    EXPECT_EQ(frame->Bmp, nullptr);
    EXPECT_FALSE(frame->SetScale(2));
    EXPECT_FALSE(frame->SetCenter(10, 10));
    EXPECT_DOUBLE_EQ(frame->GetScaleFit(), 0);
    int x = 0, y = 0, w = 0, h = 0;
    EXPECT_FALSE(frame->GetCoordinatOfVisibleArea(x, y, w, h));
    double px = 3, py = 4;
    EXPECT_FALSE(frame->CoordinateFrameToBmp(px, py));
    EXPECT_FALSE(frame->CoordinateBmpToFrame(px, py));

    frame->SpeedButtonPoint->setChecked(true);
    QTest::mouseClick(frame->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(40, 30));
    ASSERT_EQ(recorder.presses.size(), 1u);
    EXPECT_EQ(recorder.presses[0], QPoint(40, 30));
    EXPECT_EQ(frame->LPoint->FCount, 0);
    EXPECT_EQ(recorder.redraws, 0);  // the buffer is only cleared
}

TEST(FrameBmp, OwnerDrawingIsShownByRedraw)
{
    const auto frame = ShownFrame();
    QImage picture = TwoColourPicture(300, 300);
    frame->SpeedButtonGray->setChecked(false);
    frame->Load(&picture, true, true);
    EXPECT_EQ(frame->BmpMain.pixel(350, 250), kRight);
    picture.fill(Qt::green);
    frame->Redraw();
    EXPECT_EQ(frame->BmpMain.pixel(350, 250), qRgb(0, 255, 0));
    // What the paint box paints is the buffer.
    const QImage shown = frame->PaintBoxMain->grab().toImage();
    EXPECT_EQ(shown.pixel(350, 250), qRgb(0, 255, 0));
    EXPECT_EQ(shown.pixel(5, 5), frame->BmpMain.pixel(5, 5));
}

TEST(FrameBmp, LocksHeldOutsideSurviveNestedSpans)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    TRecorder recorder;
    recorder.Listen(*frame);

    // A form-state load holds the scroll lock around everything it restores.
    frame->bLockScroll = true;
    ASSERT_TRUE(frame->Load(&picture, true, true));
    EXPECT_TRUE(frame->bLockScroll);  // restored, not cleared
    frame->ScrollBarX->setValue(600);
    EXPECT_DOUBLE_EQ(frame->CenterX, 0.0);  // no recomputation while locked
    frame->bLockScroll = false;
    frame->ScrollBarXChange();
    EXPECT_DOUBLE_EQ(frame->CenterX, 0.2);

    // A paint lock held outside keeps every nested redraw away.
    frame->bLockPaint = true;
    recorder.redraws = 0;
    frame->SetScale(2);
    frame->SetCenter(1000, 1000);
    EXPECT_EQ(recorder.redraws, 0);
    EXPECT_TRUE(frame->bLockPaint);
    EXPECT_FALSE(frame->bLockScale);
}

namespace {

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

}  // namespace

TEST(FrameBmp, EveryZoomBarPositionGivesBackItsOwnZoom)
{
    // Each bar position p must stand for the zoom p / 100 and stay where it was put: with the
    // zoom read as p x 0.01 and written back as trunc(100 x zoom), 29 came back as 28.
    struct Case {
        QSize picture, paintBox;
        int first, last;
    };
    const Case cases[] = {{{1000, 500}, {20, 10}, 1, 100}, {{10, 5}, {100, 50}, 100, 10000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first);
        const auto frame = ShownFrame(c.paintBox);
        const QImage picture = TwoColourPicture(c.picture.width(), c.picture.height());
        frame->Load(&picture, true, true);
        ASSERT_EQ(frame->ScrollBarScale->minimum(), c.first);
        ASSERT_EQ(frame->ScrollBarScale->maximum(), c.last);
        std::vector<int> moved;
        for (int position = c.first; position <= c.last; ++position) {
            frame->ScrollBarScale->setValue(position);
            if (frame->ScrollBarScale->value() != position || Bits(frame->Scale) != Bits(position / 100.0))
                moved.push_back(position);
        }
        EXPECT_TRUE(moved.empty()) << moved.size() << " positions moved, the first " << moved.front();
    }
}

TEST(FrameBmp, ModeButtonsLeaveTheZoomBarInPlace)
{
    const auto frame = ShownFrame();
    const QImage picture = TwoColourPicture(3000, 3000);
    frame->Load(&picture, true, true);
    const QRect bar(718, 0, 17, 500);
    ASSERT_EQ(frame->ScrollBarScale->geometry(), bar);

    QTest::mouseClick(frame->SpeedButtonPoint, Qt::LeftButton);
    ASSERT_TRUE(frame->SpeedButtonPoint->isChecked());
    EXPECT_EQ(frame->ScrollBarScale->geometry(), bar);

    // The common cursor's button shows once the frame is linked.
    frame->AddSyncCursor(frame.get());
    QTest::mouseClick(frame->SpeedButtonShowSyncCursor, Qt::LeftButton);
    ASSERT_TRUE(frame->SpeedButtonShowSyncCursor->isChecked());
    EXPECT_FALSE(frame->SpeedButtonPoint->isChecked());
    EXPECT_EQ(frame->ScrollBarScale->geometry(), bar);
    EXPECT_TRUE(frame->PanelPic->rect().contains(frame->ScrollBarScale->geometry()));
}

TEST(FrameBmp, PicturesOnePixelWideOrTallAreDrawn)
{
    const QSize sizes[] = {{1, 3000}, {3000, 1}, {1, 300}, {300, 1}, {1, 1}};
    for (const bool smooth : {false, true}) {
        for (const QSize size : sizes) {
            SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height() << (smooth ? " smoothed" : ""));
            const auto frame = ShownFrame();
            frame->SpeedButtonGray->setChecked(smooth);
            QImage picture(size, QImage::Format_RGB32);
            picture.fill(kRight);
            ASSERT_TRUE(frame->Load(&picture, true, true));
            EXPECT_GE(frame->VisibleArea.W, 1);
            EXPECT_GE(frame->VisibleArea.H, 1);
            const QPoint middle(frame->DrawArea.X + frame->DrawArea.W / 2, frame->DrawArea.Y + frame->DrawArea.H / 2);
            EXPECT_EQ(frame->BmpMain.pixel(middle), kRight);
        }
    }
}
