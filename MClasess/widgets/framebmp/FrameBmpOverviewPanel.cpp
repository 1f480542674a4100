// The frame's side of the overview: when it is sized, shown and hidden, and how dragging its
// rectangle, double clicks and the corner button move the main view.

#include "FrameBmpFlagGuard.h"
#include "FrameBmpPanel.h"
#include "FrameBmp_.h"

#include <QAction>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

#include <algorithm>

using framebmp::TFlagGuard;

void TFrameBmp::PanelSResize()
{
    if (Bmp == nullptr)
        return;
    const int w = PictureWidth();
    const int h = PictureHeight();
    const framebmp::TPanelSize size =
        framebmp::OverviewPanelSize(w, h, PaintBoxMain->width(), PaintBoxMain->height(), MapDivider);
    const int bevel = framebmp::OverviewBevel;
    PanelS->resize(size.Width, size.Height);
    PaintBoxS->setGeometry(bevel / 2, bevel / 2, std::max(0, size.Width - bevel), std::max(0, size.Height - bevel));
    if (bHideMap) {
        bMapResizePending = true;
        return;
    }
    PanelS->show();
    PanelS->raise();
    PanelS->move(ScrollBarY->x() - size.Width, ScrollBarX->y() - size.Height);
    ScalePaintBoxS = h == 0 ? 0.0 : static_cast<double>(PaintBoxS->height()) / h;
    PaintBoxSPaint();
    PanelSShow();
}

void TFrameBmp::PanelSShow()
{
    if (bHideMap)
        return;
    if (bMapResizePending) {
        bMapResizePending = false;
        PanelSResize();
    }
    Timer1->start();  // the three seconds start anew
    PanelS->show();
    PanelS->raise();
}

void TFrameBmp::PanelSHide()
{
    Timer1->stop();
    if (!MenuItemPaintBoxSFix->isChecked())
        PanelS->hide();
}

void TFrameBmp::Timer1Timer() { PanelSHide(); }

void TFrameBmp::MenuItemPaintBoxSFixClick()
{
    // The action has already toggled its check mark when this runs.
    if (MenuItemPaintBoxSFix->isChecked())
        PanelSShow();
    else
        Timer1->start();
}

void TFrameBmp::PaintBoxSPaint()
{
    if (Bmp == nullptr || PanelS->isHidden())
        return;
    const QSize size = PaintBoxS->size();
    const bool smooth = IsSmoothing();
    VisibleAreaS = framebmp::OverviewRectangle(VisibleArea, ScalePaintBoxS);
    try {
        FOverview.Render(BmpS, Bmp, size, smooth, FReducedCopies, VisibleAreaS);
    } catch (...) {
        // The overview keeps its old content; rectangle and centre are still drawn over it.
    }
    if (OnDrawBmpS)
        OnDrawBmpS(this, &BmpS);
    PaintBoxS->update();
}

void TFrameBmp::PaintBoxSShow(QPainter& canvas)
{
    canvas.fillRect(PaintBoxS->rect(), palette().color(QPalette::Window));
    canvas.drawImage(0, 0, BmpS);
    const QPoint centre(framebmp::Trunc(PictureWidth() * (CenterX * ScalePaintBoxS)),
                        framebmp::Trunc(PictureHeight() * (CenterY * ScalePaintBoxS)));
    framebmp::TFrameBmpOverview::DrawMarks(canvas, VisibleAreaS, centre);
}

void TFrameBmp::PaintBoxSMouseDown(QObject*, Qt::MouseButton button, TShiftState, int x, int y)
{
    const framebmp::TArea& r = VisibleAreaS;
    const bool inside = r.X <= x && x <= r.X + r.W && r.Y <= y && y <= r.Y + r.H;
    FDragArmedS = inside;
    if (!inside)
        return;
    if (button == Qt::LeftButton)
        PaintBoxS->setCursor(Qt::ClosedHandCursor);
    FPressS = QPoint(x, y);
    FDragS = FPressS;
    FCenterAtPressX = CenterX;
    FCenterAtPressY = CenterY;
}

void TFrameBmp::PaintBoxSMouseMove(QObject*, TShiftState shift, int x, int y)
{
    if (Bmp == nullptr)
        return;
    if (x == FLastMoveS.x() && y == FLastMoveS.y() && shift == FLastMoveShiftS)
        return;
    const int step = framebmp::PanStep(std::min(PaintBoxMain->width(), PaintBoxMain->height()));
    const int w = PictureWidth();
    const int h = PictureHeight();
    const int boxW = PaintBoxS->width();
    const int boxH = PaintBoxS->height();
    // Only a press inside the rectangle starts a drag; a press elsewhere must not move the view.
    const bool drag = shift.Has(Qt::LeftButton) && FDragArmedS && boxW > 0 && boxH > 0;
    const QPoint mouse(x, y);
    while (drag && FDragS != mouse) {
        FDragS = QPoint(framebmp::StepToward(FDragS.x(), x, step), framebmp::StepToward(FDragS.y(), y, step));
        CenterX = framebmp::Clamp01(FCenterAtPressX + static_cast<double>(FDragS.x() - FPressS.x()) / boxW);
        CenterY = framebmp::Clamp01(FCenterAtPressY + static_cast<double>(FDragS.y() - FPressS.y()) / boxH);
        {
            TFlagGuard scrollLock(bLockScroll);
            ScrollBarX->setValue(framebmp::Trunc(w * CenterX + 0.5));
            ScrollBarY->setValue(framebmp::Trunc(h * CenterY + 0.5));
        }
        Redraw();
        RaiseAfterScaleChange();
    }
    FLastMoveS = mouse;
    FLastMoveShiftS = shift;
}

void TFrameBmp::PaintBoxSMouseUp()
{
    FDragArmedS = false;
    PaintBoxS->setCursor(Qt::ArrowCursor);
}

void TFrameBmp::PaintBoxSDblClick(QPoint clientPos)
{
    const int boxW = PaintBoxS->width();
    const int boxH = PaintBoxS->height();
    if (boxW <= 0 || boxH <= 0)
        return;
    SetCenter(static_cast<double>(PictureWidth() * clientPos.x()) / boxW,
              static_cast<double>(PictureHeight() * clientPos.y()) / boxH);
}

void TFrameBmp::PanelMapMouseMove() { PanelSShow(); }

void TFrameBmp::PanelMapDblClick() { SetScale(-1); }
