#include "FrameBmpPanel.h"

#include "MTrace.h"

#include <QMouseEvent>
#include <QPainter>

namespace framebmp {

TFrameBmpPanel::TFrameBmpPanel(QWidget* parent) : QFrame(parent) { setFrameStyle(QFrame::NoFrame); }

void TFrameBmpPanel::Forward(const char* method, const std::function<void()>& call) noexcept
{
    try {
        call();
    } catch (...) {
        TraceError(objectName().toStdString(), "Unknown error", method);
    }
}

void TFrameBmpPanel::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (!OnPaint)
        return;
    Forward("TFrameBmpPanel::paintEvent", [this] {
        QPainter painter(this);
        OnPaint(painter);
    });
}

void TFrameBmpPanel::mousePressEvent(QMouseEvent* event)
{
    if (!OnMouseDown) {
        QFrame::mousePressEvent(event);
        return;
    }
    Forward("TFrameBmpPanel::mousePressEvent", [&] { OnMouseDown(*event); });
}

void TFrameBmpPanel::mouseMoveEvent(QMouseEvent* event)
{
    if (!OnMouseMove) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    Forward("TFrameBmpPanel::mouseMoveEvent", [&] { OnMouseMove(*event); });
}

void TFrameBmpPanel::mouseReleaseEvent(QMouseEvent* event)
{
    if (!OnMouseUp) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    Forward("TFrameBmpPanel::mouseReleaseEvent", [&] { OnMouseUp(*event); });
}

void TFrameBmpPanel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!OnDoubleClick) {
        mousePressEvent(event);
        return;
    }
    Forward("TFrameBmpPanel::mouseDoubleClickEvent", [&] { OnDoubleClick(*event); });
}

void TFrameBmpPanel::enterEvent(QEnterEvent* event)
{
    QFrame::enterEvent(event);
    if (OnEnter)
        Forward("TFrameBmpPanel::enterEvent", [this] { OnEnter(); });
}

}  // namespace framebmp
