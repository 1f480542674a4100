// Sync groups: frames that follow each other's zoom and centre, marks and cursor, and the
// clean-up when a linked frame goes away.

#include "FrameBmpTestSupport.h"

#include <QHBoxLayout>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolButton>

#include <bit>
#include <cstdint>

using namespace framebmp_test;

namespace {

struct TwoFrames {
    std::unique_ptr<TFrameBmp> a = ShownFrame();
    std::unique_ptr<TFrameBmp> b = ShownFrame();
    QImage pictureA = TwoColourPicture(3000, 3000);
    QImage pictureB = TwoColourPicture(1500, 1500);

    TwoFrames()
    {
        a->Load(&pictureA, true, true);
        b->Load(&pictureB, true, true);
    }
};

// Whether any handler of the list is bound to `object`.
template <class List>
bool HoldsObject(const List& list, const void* object)
{
    for (int i = 0; i < list.FCount; ++i)
        if (list.Data[i].object == object)
            return true;
    return false;
}

bool RefersTo(TFrameBmp& frame, TFrameBmp* other)
{
    for (const auto* list :
         {frame.LFrameBmpSyncScale.get(), frame.LFrameBmpSyncLPoint.get(), frame.LFrameBmpSyncCursor.get()})
        if (list != nullptr)
            for (int i = 0; i < list->FCount; ++i)
                if (list->Data[i] == other)
                    return true;
    return HoldsObject(frame.LOnClose, other) || HoldsObject(frame.LOnAfterScaleChange, other)
        || HoldsObject(frame.LOnAfterLPointChange, other) || HoldsObject(frame.LOnMouseMove, other)
        || HoldsObject(frame.LOnMouseDown, other);
}

struct CloseCounter {
    int closes = 0;
    void Closed(TFrameBmp*) { ++closes; }
};

}  // namespace

TEST(FrameBmpSync, ScaleFollowsRelativeToEachFit)
{
    TwoFrames f;
    ASSERT_TRUE(f.a->AddSyncScale(f.a.get()));
    ASSERT_TRUE(f.a->AddSyncScale(f.b.get()));
    EXPECT_FALSE(f.b->PanelSyncGroup->isHidden());
    EXPECT_EQ(f.b->SyncCount, 1);

    ASSERT_TRUE(f.a->SetScale(2 * f.a->GetScaleFit()));
    EXPECT_DOUBLE_EQ(f.b->Scale, 2 * f.b->GetScaleFit());
    EXPECT_DOUBLE_EQ(f.b->Scale, 2 * f.a->Scale);

    f.a->SetCenter(600, 2400);
    EXPECT_EQ(f.b->ScrollBarX->value(), 300);
    EXPECT_EQ(f.b->ScrollBarY->value(), 1200);
    EXPECT_DOUBLE_EQ(f.b->CenterX, f.a->CenterX);
    EXPECT_DOUBLE_EQ(f.b->Scale, 2 * f.a->Scale);

    // Another group does not follow.
    f.b->UpDownSyncGroup->setValue(1);
    const double before = f.b->Scale;
    f.a->SetScale(4 * f.a->GetScaleFit());
    EXPECT_DOUBLE_EQ(f.b->Scale, before);
}

TEST(FrameBmpSync, MarksAreSharedWithNumberAndColour)
{
    TwoFrames f;
    f.a->AddSyncLPoint(f.a.get());
    f.a->AddSyncLPoint(f.b.get());
    f.a->SpeedButtonPoint->setChecked(true);
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(f.a->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(150 + 50 * i, 250));
    ASSERT_EQ(f.b->LPoint->FCount, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(f.b->LPoint->Data[i], f.a->LPoint->Data[i]);
        EXPECT_EQ(f.b->LColor->Data[i], f.a->LColor->Data[i]);
    }

    // Removing every mark in A empties B too (an empty copy would leave B as it was).
    for (int i = 0; i < 6; ++i)
        QTest::mouseClick(f.a->PaintBoxMain, Qt::RightButton, Qt::NoModifier, QPoint(150 + 50 * i, 250));
    EXPECT_EQ(f.a->LPoint->FCount, 0);
    EXPECT_EQ(f.b->LPoint->FCount, 0);
}

TEST(FrameBmpSync, CommonCursorFollowsTheMouse)
{
    TwoFrames f;
    f.a->AddSyncCursor(f.a.get());
    f.a->AddSyncCursor(f.b.get());
    ASSERT_FALSE(f.b->SpeedButtonShowSyncCursor->isHidden());
    f.b->SpeedButtonShowSyncCursor->setChecked(true);

    // A's fitting view: paint-box (350, 250) is the picture's middle.
    HoverMove(f.a->PaintBoxMain, QPoint(350, 250));
    EXPECT_NEAR(f.b->SyncCursor.x, 0.5, 0.002);
    EXPECT_NEAR(f.b->SyncCursor.y, 0.5, 0.002);
    // A small yellow disc with a blue outline.
    int cursorPixels = 0;
    for (int y = 246; y <= 254; ++y)
        for (int x = 346; x <= 354; ++x)
            cursorPixels +=
                f.b->BmpMain.pixel(x, y) == qRgb(0, 0, 255) || f.b->BmpMain.pixel(x, y) == qRgb(255, 255, 0);
    EXPECT_GE(cursorPixels, 8);
    f.b->SpeedButtonShowSyncCursor->setChecked(false);
    f.b->Redraw();
    EXPECT_EQ(f.b->BmpMain.pixel(349, 249), kLeft);
    f.b->SpeedButtonShowSyncCursor->setChecked(true);

    // Outside A's drawn area nothing moves.
    const MPoint<double> kept = f.b->SyncCursor;
    HoverMove(f.a->PaintBoxMain, QPoint(20, 250));
    EXPECT_EQ(f.b->SyncCursor, kept);

    // Left button only: a plain move is ignored, a press is not.
    f.a->bSyncCursorLeftOnly = true;
    HoverMove(f.a->PaintBoxMain, QPoint(200, 100));
    EXPECT_EQ(f.b->SyncCursor, kept);
    QTest::mousePress(f.a->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
    EXPECT_LT(f.b->SyncCursor.x, 0.5);
    QTest::mouseRelease(f.a->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(200, 100));
}

TEST(FrameBmpSync, DeletingTheOnlyCursorLinkHidesThePartnersControls)
{
    TwoFrames f;
    f.a->AddSyncCursor(f.b.get());
    ASSERT_FALSE(f.b->PanelSyncGroup->isHidden());
    EXPECT_FALSE(f.a->DeleteSyncCursor(1));
    ASSERT_TRUE(f.a->DeleteSyncCursor(0));
    EXPECT_EQ(f.b->SyncCount, 0);
    EXPECT_EQ(f.b->SyncCursorCount, 0);
    EXPECT_TRUE(f.b->PanelSyncGroup->isHidden());
    EXPECT_TRUE(f.b->SpeedButtonShowSyncCursor->isHidden());
    EXPECT_FALSE(RefersTo(*f.b, f.a.get()));
    EXPECT_TRUE(f.a->ClearSyncScale());  // an absent list clears trivially
}

TEST(FrameBmpSync, ADestroyedPartnerLeavesNoLinkBehind)
{
    TwoFrames f;
    const QImage pictureC = TwoColourPicture(600, 600);
    auto c = ShownFrame();
    c->Load(&pictureC, true, true);
    // C is a partner of A and of B (all three kinds), and listens to both itself.
    for (TFrameBmp* listener : {f.a.get(), f.b.get()}) {
        listener->AddSync(listener);
        listener->AddSync(c.get());
        c->AddSync(listener);
    }
    CloseCounter counter;
    c->LOnClose.Add(TFrameNotify::Of<&CloseCounter::Closed>(&counter));
    ASSERT_TRUE(RefersTo(*f.a, c.get()));
    ASSERT_EQ(c->SyncCount, 6);

    c.reset();
    EXPECT_EQ(counter.closes, 1);
    for (TFrameBmp* frame : {f.a.get(), f.b.get()}) {
        EXPECT_FALSE(RefersTo(*frame, nullptr));
        EXPECT_EQ(frame->LFrameBmpSyncScale->FCount, 1);  // only itself
        EXPECT_EQ(frame->SyncCount, 3);
    }
    // Events of the survivors reach no destroyed frame (the sanitizer build watches this).
    f.a->SpeedButtonPoint->setChecked(true);
    QTest::mouseClick(f.a->PaintBoxMain, Qt::LeftButton, Qt::NoModifier, QPoint(350, 250));
    HoverMove(f.b->PaintBoxMain, QPoint(300, 200));
    f.a->SetScale(1);
    f.b->SetScale(1);
}

TEST(FrameBmpSync, CloseHandlersAreEachCalledOnceWhileTheyUnhook)
{
    // Each partner's close handler removes entries from the list being raised; every handler
    // present at the start still runs exactly once.
    auto closing = ShownFrame();
    auto first = ShownFrame();
    auto second = ShownFrame();
    CloseCounter before;
    CloseCounter after;
    closing->LOnClose.Add(TFrameNotify::Of<&CloseCounter::Closed>(&before));
    first->AddSyncScale(closing.get());
    second->AddSyncScale(closing.get());
    closing->LOnClose.Add(TFrameNotify::Of<&CloseCounter::Closed>(&after));
    ASSERT_EQ(closing->LOnClose.FCount, 4);

    closing.reset();
    EXPECT_EQ(before.closes, 1);
    EXPECT_EQ(after.closes, 1);
    EXPECT_EQ(first->LFrameBmpSyncScale->FCount, 0);
    EXPECT_EQ(second->LFrameBmpSyncScale->FCount, 0);
}

namespace {

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

}  // namespace

TEST(FrameBmpSync, LinkedFramesEndAtTheSameZoomAfterWheelNotches)
{
    // Equal pictures in equal paint boxes: the bar starts at 14 and steps by 3, so the fifth
    // notch reaches 29, whose zoom must come back as position 29, not 28.
    const auto a = ShownFrame(QSize(350, 250));
    const auto b = ShownFrame(QSize(350, 250));
    const QImage pictureA = TwoColourPicture(1700, 1700);
    const QImage pictureB = TwoColourPicture(1700, 1700);
    a->Load(&pictureA, true, true);
    b->Load(&pictureB, true, true);
    a->AddSyncScale(a.get());
    a->AddSyncScale(b.get());
    ASSERT_EQ(a->ScrollBarScale->value(), 14);
    ASSERT_EQ(a->ScrollBarScale->singleStep(), 3);

    for (int notch = 1; notch <= 6; ++notch) {
        SCOPED_TRACE(notch);
        Wheel(*a, -1);
        const int position = 14 + 3 * notch;
        for (TFrameBmp* frame : {a.get(), b.get()}) {
            EXPECT_EQ(frame->ScrollBarScale->value(), position);
            EXPECT_EQ(Bits(frame->Scale), Bits(position / 100.0));
        }
    }

    // Moving the view through the bars re-reads the zoom from them; it stays.
    a->SetCenter(500, 600);
    b->SetCenter(900, 100);
    EXPECT_EQ(Bits(a->Scale), Bits(0.32));
    EXPECT_EQ(Bits(b->Scale), Bits(0.32));
}

TEST(FrameBmpSync, LinkedFramesKeepTheirZoomAcrossResizes)
{
    // As frameview shows them: two frames side by side in one window, the first listening for
    // both. Each resize of the window lays out one frame after the other.
    QWidget window;
    auto* row = new QHBoxLayout(&window);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    auto* a = new TFrameBmp(&window);
    auto* b = new TFrameBmp(&window);
    row->addWidget(a);
    row->addWidget(b);
    a->AddSync(a);
    a->AddSync(b);
    window.resize(1200, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QImage pictureA = TwoColourPicture(300, 200);
    const QImage pictureB = TwoColourPicture(600, 400);
    a->Load(&pictureA, true, true);
    b->Load(&pictureB, true, true);
    Wheel(*a, -3);
    const double scaleA = a->Scale;
    const double scaleB = b->Scale;
    ASSERT_GT(scaleA, a->GetScaleFit());

    const QSize sizes[] = {{1600, 800}, {1000, 560}, {1600, 800}, {1000, 560}, {1200, 600}};
    for (const QSize size : sizes) {
        SCOPED_TRACE(testing::Message() << size.width() << " x " << size.height());
        window.resize(size);
        QApplication::processEvents();
        ASSERT_EQ(a->width() + b->width() + 2, size.width());
        EXPECT_EQ(Bits(a->Scale), Bits(scaleA));
        EXPECT_EQ(Bits(b->Scale), Bits(scaleB));
    }
}
