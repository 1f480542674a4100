// Keys of the frame while it has the focus (a press on the view gives it): the ones picture
// viewers use, each going through the same path as the mouse or a scroll bar, so partners of a
// sync group follow.

#include "FrameBmpGuard.h"
#include "FrameBmp_.h"

#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

bool TFrameBmp::FrameKeyDown(int key)
{
    bool handled = false;
    switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:  // the + key without shift
        FrameMouseWheelDown(this, {}, QPoint(), handled);
        return true;
    case Qt::Key_Minus:
        FrameMouseWheelUp(this, {}, QPoint(), handled);
        return true;
    case Qt::Key_Left:
        MoveViewByATenth(-1, 0);
        return true;
    case Qt::Key_Right:
        MoveViewByATenth(1, 0);
        return true;
    case Qt::Key_Up:
        MoveViewByATenth(0, -1);
        return true;
    case Qt::Key_Down:
        MoveViewByATenth(0, 1);
        return true;
    case Qt::Key_Home:
        ShowWhole();
        return true;
    default:
        return false;
    }
}

void TFrameBmp::MoveViewByATenth(int dx, int dy)
{
    if (dx != 0)
        ScrollBarX->setValue(ScrollBarX->value() + dx * std::max(1, VisibleArea.W / 10));
    if (dy != 0)
        ScrollBarY->setValue(ScrollBarY->value() + dy * std::max(1, VisibleArea.H / 10));
}

void TFrameBmp::keyPressEvent(QKeyEvent* event)
{
    bool handled = false;
    framebmp::RunGuarded(this, "TFrameBmp::keyPressEvent", [&] { handled = FrameKeyDown(event->key()); });
    if (handled)
        event->accept();
    else
        QFrame::keyPressEvent(event);
}
