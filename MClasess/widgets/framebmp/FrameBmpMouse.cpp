// Mouse and wheel over the main view: middle-button panning, wheel zoom, the hand cursor, the
// cursor read-out, and the picture-point events of moves, left drags and left clicks.

#include "FrameBmpFlagGuard.h"
#include "FrameBmpPanel.h"
#include "FrameBmpText.h"
#include "FrameBmp_.h"

#include <QLabel>
#include <QLocale>
#include <QScrollBar>
#include <QToolButton>

using framebmp::TFlagGuard;

namespace {

constexpr Qt::CursorShape kHandCursor = Qt::ClosedHandCursor;

}  // namespace

void TFrameBmp::PaintBoxMainMouseDown(QObject*, Qt::MouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDownMain)
        OnMouseDownMain(this, button, shift, x, y);
    for (int i = 0; i < LOnMouseDown.FCount; ++i)
        LOnMouseDown.Data[i](this, button, shift, x, y);

    FPress = QPoint(x, y);
    FCenterAtPressX = CenterX;
    FCenterAtPressY = CenterY;
    FDrag = FPress;
    setFocus(Qt::MouseFocusReason);
    FLeftPressed = button == Qt::LeftButton && !SpeedButtonPoint->isChecked();
    FLeftDragging = false;
    FLeftPress = FPress;
    FLeftLast = FPress;
    FLeftPressShift = shift;

    if (button == Qt::LeftButton && SpeedButtonPoint->isChecked())
        AddPointMark(x, y);
    if (button == Qt::RightButton && SpeedButtonPoint->isChecked())
        RemoveNearestPointMark(x, y);
    if (button == Qt::MiddleButton) {
        // A second middle press must not remember the hand as the cursor to go back to.
        if (PaintBoxMain->cursor().shape() != kHandCursor)
            CursorMain = PaintBoxMain->cursor().shape();
        PaintBoxMain->setCursor(kHandCursor);
        Mark("5", "TFrameBmp::PaintBoxMainMouseDown");
        return;
    }
    Timer1Timer();
}

void TFrameBmp::PaintBoxMainMouseMove(QObject*, TShiftState shift, int x, int y)
{
    if (Bmp == nullptr)
        return;
    try {
        if (x == FLastMove.x() && y == FLastMove.y() && shift == FLastMoveShift)
            return;
        if (OnMouseMoveMain)
            OnMouseMoveMain(this, shift, x, y);
        for (int i = 0; i < LOnMouseMove.FCount; ++i)
            LOnMouseMove.Data[i](this, shift, x, y);

        double bx = x;
        double by = y;
        CoordinateFrameToBmp(bx, by);
        ShowCoordinate(bx, by);
        if (OnPictureMouseMove)
            OnPictureMouseMove(this, shift, bx, by);
        FollowLeftDrag(shift, x, y);

        const bool middle = shift.Has(Qt::MiddleButton);
        if (!middle && PaintBoxMain->cursor().shape() == kHandCursor)
            PaintBoxMain->setCursor(CursorMain);

        const int w = PictureWidth();
        const int h = PictureHeight();
        // Without a zoom or a picture area the pan has nothing to divide by.
        const bool canPan = Scale > 0 && w > 0 && h > 0;
        const int step = framebmp::PanStep(DrawArea.W);
        const QPoint mouse(x, y);
        while (!bLockMove && middle && canPan && FDrag != mouse) {
            FDrag = QPoint(framebmp::StepToward(FDrag.x(), x, step), framebmp::StepToward(FDrag.y(), y, step));
            CenterX = framebmp::Clamp01(FCenterAtPressX - (FDrag.x() - FPress.x()) / Scale / w);
            CenterY = framebmp::Clamp01(FCenterAtPressY - (FDrag.y() - FPress.y()) / Scale / h);
            Mark("1", "TFrameBmp::PaintBoxMainMouseMove");
            {
                // The bars follow the centre; their change handler must not recompute it.
                TFlagGuard scrollLock(bLockScroll);
                ScrollBarX->setValue(framebmp::Trunc(w * CenterX));
                Mark("2", "TFrameBmp::PaintBoxMainMouseMove");
                ScrollBarY->setValue(framebmp::Trunc(h * CenterY));
                Mark("3", "TFrameBmp::PaintBoxMainMouseMove");
            }
            Redraw();
            Mark("4", "TFrameBmp::PaintBoxMainMouseMove");
            RaiseAfterScaleChange();
        }
        FLastMove = mouse;
        FLastMoveShift = shift;
    } catch (...) {
        // A failed move is dropped; the next move is handled afresh.
    }
}

void TFrameBmp::FollowLeftDrag(TShiftState shift, int x, int y)
{
    if (!FLeftPressed || !shift.Has(Qt::LeftButton) || SpeedButtonPoint->isChecked()) {
        FLeftPressed = false;
        return;
    }
    const QPoint mouse(x, y);
    if (!FLeftDragging && (mouse - FLeftPress).manhattanLength() <= ClickSlop)
        return;  // still a click
    FLeftDragging = true;
    // The move in picture pixels, by the factor the view is drawn at (not Scale, which the
    // rounding of the areas makes differ slightly).
    if (DrawArea.W <= 0 || DrawArea.H <= 0 || mouse == FLeftLast)
        return;
    const double dx = static_cast<double>(x - FLeftLast.x()) * VisibleArea.W / DrawArea.W;
    const double dy = static_cast<double>(y - FLeftLast.y()) * VisibleArea.H / DrawArea.H;
    FLeftLast = mouse;
    if (OnPictureDrag)
        OnPictureDrag(this, shift, dx, dy);
}

void TFrameBmp::PaintBoxMainMouseUp(QObject*, Qt::MouseButton button, TShiftState, int x, int y)
{
    const bool click = button == Qt::LeftButton && FLeftPressed && !FLeftDragging
        && (QPoint(x, y) - FLeftPress).manhattanLength() <= ClickSlop;
    FLeftPressed = false;
    FLeftDragging = false;
    if (!click || Bmp == nullptr || !OnPictureClick)
        return;
    double bx = FLeftPress.x();
    double by = FLeftPress.y();
    CoordinateFrameToBmp(bx, by);
    OnPictureClick(this, Qt::LeftButton, FLeftPressShift, bx, by);
}

void TFrameBmp::FrameMouseWheelDown(QObject*, TShiftState, QPoint, bool&)
{
    ScrollBarScale->setValue(ScrollBarScale->value() + ScrollBarScale->singleStep());
}

void TFrameBmp::FrameMouseWheelUp(QObject*, TShiftState, QPoint, bool&)
{
    ScrollBarScale->setValue(ScrollBarScale->value() - ScrollBarScale->singleStep());
}

void TFrameBmp::ShowCoordinate(double x, double y)
{
    if (Bmp == nullptr || LabelCoordinate->isHidden())
        return;
    std::string colour(framebmp::OwnColourRequest);
    if (OnGetColor)
        colour = OnGetColor(this, framebmp::Trunc(x), framebmp::Trunc(y));
    const int w = PictureWidth();
    const int h = PictureHeight();
    if (colour == framebmp::OwnColourRequest) {
        if (0 <= x && x < w && 0 <= y && y < h)
            colour = framebmp::ColourReadout(Bmp->pixel(framebmp::Trunc(x), framebmp::Trunc(y)));
        else
            colour = framebmp::NoColourReadout;
    }
    if (bInvertY)
        y = h - y;
    const std::string decimalMark = QLocale().decimalPoint().toStdString();
    LabelCoordinate->setText(QString::fromStdString(framebmp::ReadoutCaption(x, y, colour, decimalMark)));
}
