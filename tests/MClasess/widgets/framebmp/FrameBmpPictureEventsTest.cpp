// The frame's events for its owner in picture pixels (moves, left drags, left clicks), the hint
// over an empty view, and a zoom that follows the fit until one is chosen.

#include "FrameBmpTestSupport.h"

#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

#include <vector>

using namespace framebmp_test;

namespace {

struct TPictureEvents {
    struct TEvent {
        char kind;  // 'm' move, 'd' drag, 'c' click
        double x, y;
        Qt::KeyboardModifiers keys;
    };
    std::vector<TEvent> events;

    void Moved(TFrameBmp*, TShiftState shift, double x, double y) { events.push_back({'m', x, y, shift.Keys}); }
    void Dragged(TFrameBmp*, TShiftState shift, double dx, double dy) { events.push_back({'d', dx, dy, shift.Keys}); }
    void Clicked(TFrameBmp*, Qt::MouseButton, TShiftState shift, double x, double y)
    {
        events.push_back({'c', x, y, shift.Keys});
    }
    void Listen(TFrameBmp& frame)
    {
        frame.OnPictureMouseMove = TFramePicturePoint::Of<&TPictureEvents::Moved>(this);
        frame.OnPictureDrag = TFramePicturePoint::Of<&TPictureEvents::Dragged>(this);
        frame.OnPictureClick = TFramePictureClick::Of<&TPictureEvents::Clicked>(this);
    }
    std::vector<TEvent> OfKind(char kind) const
    {
        std::vector<TEvent> found;
        for (const TEvent& e : events)
            if (e.kind == kind)
                found.push_back(e);
        return found;
    }
};

// A 100 x 50 picture in a 700 x 500 box: zoom 7, drawn at (0, 75) (FrameBmpGeometry's case).
struct Zoomed {
    QImage picture = TwoColourPicture(100, 50);
    std::unique_ptr<TFrameBmp> frame = ShownFrame();
    TPictureEvents seen;
    Zoomed()
    {
        frame->Load(&picture, true, false);
        seen.Listen(*frame);
    }
    void Press(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QTest::mousePress(frame->PaintBoxMain, Qt::LeftButton, keys, at);
    }
    void Release(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QTest::mouseRelease(frame->PaintBoxMain, Qt::LeftButton, keys, at);
    }
    void DragTo(QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), frame->PaintBoxMain->mapToGlobal(QPointF(at)), Qt::NoButton,
                         Qt::LeftButton, keys);
        QApplication::sendEvent(frame->PaintBoxMain, &move);
    }
};

}  // namespace

TEST(FrameBmpPictureEvents, AMoveReportsThePicturePointUnderTheMouse)
{
    Zoomed z;
    ASSERT_DOUBLE_EQ(z.frame->Scale, 7);
    HoverMove(z.frame->PaintBoxMain, QPoint(350, 75 + 35));
    HoverMove(z.frame->PaintBoxMain, QPoint(0, 10));  // above the picture: reported all the same
    const auto moves = z.seen.OfKind('m');
    ASSERT_EQ(moves.size(), 2u);
    // The drawn area is 351 high for 50 rows (the areas' rounding): near, not exactly, 7 a pixel.
    EXPECT_NEAR(moves[0].x, 50, 0.05);
    EXPECT_NEAR(moves[0].y, 5, 0.05);
    EXPECT_LT(moves[1].y, 0);
}

TEST(FrameBmpPictureEvents, ALeftDragReportsItsStepsInPicturePixelsAndIsNoClick)
{
    Zoomed z;
    z.Press(QPoint(100, 200), Qt::ShiftModifier);
    z.DragTo(QPoint(102, 200), Qt::ShiftModifier);  // within the slop: still a click
    EXPECT_TRUE(z.seen.OfKind('d').empty());
    z.DragTo(QPoint(135, 200), Qt::ShiftModifier);  // 35 paint-box pixels from the press: 5 picture pixels
    z.DragTo(QPoint(135, 186), Qt::ShiftModifier);
    z.Release(QPoint(135, 186), Qt::ShiftModifier);
    const auto drags = z.seen.OfKind('d');
    ASSERT_EQ(drags.size(), 2u);
    EXPECT_NEAR(drags[0].x, 5, 1e-9);
    EXPECT_NEAR(drags[0].y, 0, 1e-9);
    EXPECT_NEAR(drags[1].x, 0, 1e-9);
    EXPECT_NEAR(drags[1].y, -2, 0.01);
    EXPECT_EQ(drags[0].keys, Qt::ShiftModifier);
    EXPECT_TRUE(z.seen.OfKind('c').empty());
    // The view itself did not move: a left drag is the owner's.
    EXPECT_DOUBLE_EQ(z.frame->CenterX, 0.5);
}

TEST(FrameBmpPictureEvents, ALeftClickReportsThePressPointWithItsKeys)
{
    Zoomed z;
    struct Case {
        const char* name;
        QPoint release;
        Qt::MouseButton button;
        bool pointMode;
        bool clicked;
    };
    const Case cases[] = {
        {"still", QPoint(357, 117), Qt::LeftButton, false, true},
        {"within the slop", QPoint(359, 118), Qt::LeftButton, false, true},
        {"moved away", QPoint(380, 117), Qt::LeftButton, false, false},
        {"right button", QPoint(357, 117), Qt::RightButton, false, false},
        {"point-mark mode", QPoint(357, 117), Qt::LeftButton, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        z.seen.events.clear();
        z.frame->SpeedButtonPoint->setChecked(c.pointMode);
        QTest::mousePress(z.frame->PaintBoxMain, c.button, Qt::ControlModifier, QPoint(357, 117));
        if (c.release != QPoint(357, 117)) {
            QMouseEvent move(QEvent::MouseMove, QPointF(c.release),
                             z.frame->PaintBoxMain->mapToGlobal(QPointF(c.release)), Qt::NoButton, c.button,
                             Qt::ControlModifier);
            QApplication::sendEvent(z.frame->PaintBoxMain, &move);
        }
        QTest::mouseRelease(z.frame->PaintBoxMain, c.button, Qt::ControlModifier, c.release);
        const auto clicks = z.seen.OfKind('c');
        ASSERT_EQ(clicks.size(), c.clicked ? 1u : 0u);
        if (c.clicked) {
            EXPECT_NEAR(clicks[0].x, 51, 0.05);
            EXPECT_NEAR(clicks[0].y, 6, 0.05);
            EXPECT_EQ(clicks[0].keys, Qt::ControlModifier);
        }
    }
    z.frame->SpeedButtonPoint->setChecked(false);
}

TEST(FrameBmpPictureEvents, TheHintAndTheOverlayAreDrawnOverTheView)
{
    QImage picture(300, 200, QImage::Format_RGB32);
    picture.fill(Qt::white);
    auto frame = ShownFrame();
    frame->Load(&picture, true, false);
    const QImage plain = frame->PaintBoxMain->grab().toImage();
    frame->SetHintText("Open a file");
    const QImage hinted = frame->PaintBoxMain->grab().toImage();
    EXPECT_NE(hinted, plain);
    // The hint lies in the middle, the corners are the picture's.
    EXPECT_EQ(hinted.pixel(5, 5), plain.pixel(5, 5));
    frame->SetHintText({});
    EXPECT_EQ(frame->PaintBoxMain->grab().toImage(), plain);
}

TEST(FrameBmpPictureEvents, TheZoomFollowsTheFitUntilOneIsChosen)
{
    QImage picture(3000, 3000, QImage::Format_RGB32);
    picture.fill(Qt::white);
    auto frame = ShownFrame(QSize(700, 500));
    frame->Load(&picture, true, false);
    EXPECT_TRUE(frame->bFollowFit);
    EXPECT_DOUBLE_EQ(frame->Scale, 0.16);
    // A larger view: the picture is fitted again (the fit as the zoom bar carries it).
    frame->resize(frame->FrameSizeForPaintBox(QSize(1000, 900)));
    EXPECT_DOUBLE_EQ(frame->Scale, 0.3);
    EXPECT_EQ(frame->VisibleArea.W, 2999);

    struct Case {
        const char* name;
        void (*choose)(TFrameBmp&);
    };
    const Case choices[] = {
        {"the wheel", [](TFrameBmp& f) { Wheel(f, -1); }},
        {"a key", [](TFrameBmp& f) { f.FrameKeyDown(Qt::Key_Plus); }},
        {"the zoom bar", [](TFrameBmp& f) { f.ScrollBarScale->setValue(200); }},
        {"SetScale", [](TFrameBmp& f) { f.SetScale(2); }},
    };
    for (const Case& c : choices) {
        SCOPED_TRACE(c.name);
        frame->ShowWhole();
        ASSERT_TRUE(frame->bFollowFit);
        c.choose(*frame);
        EXPECT_FALSE(frame->bFollowFit);
        const double chosen = frame->Scale;
        frame->resize(frame->FrameSizeForPaintBox(QSize(800, 700)));
        EXPECT_DOUBLE_EQ(frame->Scale, chosen);
        frame->resize(frame->FrameSizeForPaintBox(QSize(1000, 900)));
    }
    // Moving the view is no zoom: the fit is still followed.
    frame->ShowWhole();
    frame->ScrollBarX->setValue(100);
    EXPECT_TRUE(frame->bFollowFit);
    // Home shows the whole picture, centred, and follows the fit again.
    frame->SetScale(3);
    frame->FrameKeyDown(Qt::Key_Home);
    EXPECT_TRUE(frame->bFollowFit);
    EXPECT_DOUBLE_EQ(frame->CenterX, 0.5);
    EXPECT_DOUBLE_EQ(frame->Scale, 0.3);
}
