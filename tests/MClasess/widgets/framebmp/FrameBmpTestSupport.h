#ifndef PELMORA_TESTS_FRAMEBMPTESTSUPPORT_H
#define PELMORA_TESTS_FRAMEBMPTESTSUPPORT_H

// Shared pieces of the frame's widget tests: a shown frame whose layout gives the paint box a
// chosen size, small pictures whose halves differ in colour, and a listener that records what
// the frame raises.

#include "FrameBmpPanel.h"
#include "FrameBmp_.h"

#include <QApplication>
#include <QImage>
#include <QLocale>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace framebmp_test {

inline constexpr QRgb kLeft = 0xFFC00000;   // red half
inline constexpr QRgb kRight = 0xFF0000C0;  // blue half

// Left half red, right half blue, so a mirrored or shifted copy shows at once.
inline QImage TwoColourPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(kLeft);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = width / 2; x < width; ++x)
            row[x] = kRight;
    }
    return picture;
}

// A frame on screen (offscreen platform) whose layout gives PaintBoxMain the size asked for.
inline std::unique_ptr<TFrameBmp> ShownFrame(QSize paintBox = QSize(700, 500))
{
    QLocale::setDefault(QLocale::c());
    auto frame = std::make_unique<TFrameBmp>();
    frame->resize(frame->FrameSizeForPaintBox(paintBox));
    frame->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    EXPECT_EQ(frame->PaintBoxMain->size(), paintBox);
    return frame;
}

// Turns the wheel over the middle of the paint box; negative notches turn it toward the user.
// The event goes to the frame: Qt passes only spontaneous wheel events on to the parent, and a
// real wheel over the paint box arrives at the frame that way.
inline void Wheel(TFrameBmp& frame, int notches)
{
    const QPoint inPaintBox(frame.PaintBoxMain->width() / 2, frame.PaintBoxMain->height() / 2);
    const QPointF pos(frame.PaintBoxMain->mapTo(&frame, inPaintBox));
    QWheelEvent event(pos, frame.mapToGlobal(pos), QPoint(), QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&frame, &event);
}

// A mouse move without any button held (QTest moves the real cursor for that, which the
// offscreen platform does not turn into an event).
inline void HoverMove(QWidget* widget, QPoint pos, Qt::KeyboardModifiers keys = Qt::NoModifier)
{
    QMouseEvent event(QEvent::MouseMove, QPointF(pos), widget->mapToGlobal(QPointF(pos)), Qt::NoButton, Qt::NoButton,
                      keys);
    QApplication::sendEvent(widget, &event);
}

// Records the frame's events through bound handlers, as a partner frame would.
struct TRecorder {
    int redraws = 0;
    int scaleChanges = 0;
    int markChanges = 0;
    std::vector<QPoint> presses;
    std::vector<QPoint> moves;

    void Drawn(TFrameBmp*, QImage*) { ++redraws; }
    void ScaleChanged(TFrameBmp*) { ++scaleChanges; }
    void MarksChanged(TFrameBmp*) { ++markChanges; }
    void Pressed(TFrameBmp*, Qt::MouseButton, TShiftState, int x, int y) { presses.emplace_back(x, y); }
    void Moved(TFrameBmp*, TShiftState, int x, int y) { moves.emplace_back(x, y); }

    void Listen(TFrameBmp& frame)
    {
        frame.OnDrawBmp = TFrameDrawBmp::Of<&TRecorder::Drawn>(this);
        frame.OnAfterScaleChange = TFrameNotify::Of<&TRecorder::ScaleChanged>(this);
        frame.OnAfterLPointChange = TFrameNotify::Of<&TRecorder::MarksChanged>(this);
        frame.OnMouseDownMain = TFrameMouseDown::Of<&TRecorder::Pressed>(this);
        frame.OnMouseMoveMain = TFrameMouseMove::Of<&TRecorder::Moved>(this);
    }
};

}  // namespace framebmp_test

#endif
