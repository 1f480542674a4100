// Point marks, the pixel grid, the save button and the form-state notifications.

#include "FrameBmpText.h"
#include "FrameBmp_.h"
#include "MBmpSaveLoad.h"
#include "MFunction.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QToolButton>

#include <cmath>
#include <cstdlib>
#include <limits>

namespace {

constexpr QRgb kGridColour = 0xFFA6CAF0;  // sky blue: red 166, green 202, blue 240
constexpr int kMarkRadius = 3;
constexpr int kMarkFontPointSize = 8;
constexpr int kCursorRadius = 2;

QColor ColourOf(TColor colour) { return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF); }

// The box from (left, top) to (right, bottom) with the right and bottom edges outside, as a
// one-pixel pen strokes it in Qt.
QRect OutlineBox(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left - 1, bottom - top - 1);
}

// A line that leaves out its last pixel, so adjacent grid lines do not overdraw their ends.
void LineWithoutLastPixel(QPainter& painter, QPoint from, QPoint to)
{
    if (from == to)
        return;
    const QPoint delta = to - from;
    const QPoint back(delta.x() == 0 ? 0 : (delta.x() > 0 ? 1 : -1), delta.y() == 0 ? 0 : (delta.y() > 0 ? 1 : -1));
    painter.drawLine(from, to - back);
}

std::int64_t TruncToInt64(double value)
{
    constexpr double limit = 9.0e18;
    if (!(value < limit))
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(value);
}

}  // namespace

void TFrameBmp::AppendRandomColourIfShort()
{
    if (LColor->FCount >= LPoint->FCount)
        return;
    const int red = std::rand() % 255;
    const int green = std::rand() % 255;
    const int blue = std::rand() % 255;
    LColor->Add(red + 256 * green + 65536 * blue);
}

void TFrameBmp::AddPointMark(int x, int y)
{
    double bx = x;
    double by = y;
    if (CoordinateFrameToBmp(bx, by)) {
        LPoint->Add(MPoint<float>{static_cast<float>(bx / PictureWidth()), static_cast<float>(by / PictureHeight())});
        AppendRandomColourIfShort();
        RaiseAfterLPointChange();
    }
    Redraw();
}

void TFrameBmp::RemoveNearestPointMark(int x, int y)
{
    const std::int64_t w = PictureWidth();
    const std::int64_t h = PictureHeight();
    int best = -1;
    std::int64_t nearest = w * w + h * h;
    double px = x;
    double py = y;
    if (CoordinateFrameToBmp(px, py)) {
        // From the last mark down with a strict comparison: of equally near marks the one with
        // the higher number goes.
        for (int i = LPoint->FCount - 1; i >= 0; --i) {
            const MPoint<float>& mark = LPoint->Data[i];
            const double dy = py - h * static_cast<double>(mark.y);
            const double dx = px - w * static_cast<double>(mark.x);
            const std::int64_t d = TruncToInt64(dy * dy + dx * dx);
            if (d < nearest) {
                nearest = d;
                best = i;
            }
        }
    }
    if (best >= 0) {
        LPoint->DeleteIndex(best);
        LColor->DeleteIndex(best);
        RaiseAfterLPointChange();
    }
    Redraw();
}

void TFrameBmp::DrawPointMarks(QPainter& painter)
{
    QFont font = painter.font();
    font.setPointSize(kMarkFontPointSize);
    for (int i = 0; i < LPoint->FCount; ++i) {
        double fx = PictureWidth() * static_cast<double>(LPoint->Data[i].x);
        double fy = PictureHeight() * static_cast<double>(LPoint->Data[i].y);
        if (!CoordinateBmpToFrame(fx, fy))
            continue;
        const QColor colour = i < LColor->FCount ? ColourOf(LColor->Data[i]) : QColor(Qt::black);
        painter.setPen(FMainPen);
        painter.setBrush(colour);
        painter.drawEllipse(OutlineBox(framebmp::Trunc(fx - kMarkRadius), framebmp::Trunc(fy - kMarkRadius),
                                       framebmp::Trunc(fx + kMarkRadius), framebmp::Trunc(fy + kMarkRadius)));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(colour);
        painter.setFont(font);
        const QPoint topLeft(framebmp::Trunc(fx + 5), framebmp::Trunc(fy - 7));
        painter.drawText(QRect(topLeft, QSize(1000, 1000)), Qt::AlignLeft | Qt::AlignTop, QString::number(i + 1));
    }
    painter.setPen(FMainPen);
}

void TFrameBmp::DrawGrid(QPainter& painter)
{
    FMainPen = QPen(QColor::fromRgb(kGridColour), 1);
    painter.setPen(FMainPen);
    int x = 0, y = 0, w = 0, h = 0;
    if (!GetCoordinatOfVisibleArea(x, y, w, h))
        return;
    const auto drawIfInside = [&](double x1, double y1, double x2, double y2) {
        if (CoordinateBmpToFrame(x1, y1) && CoordinateBmpToFrame(x2, y2))
            LineWithoutLastPixel(painter, QPoint(framebmp::Trunc(x1), framebmp::Trunc(y1)),
                                 QPoint(framebmp::Trunc(x2), framebmp::Trunc(y2)));
    };
    for (int i = y + h; i >= y; --i)
        drawIfInside(x, i, x + w, i);
    for (int i = x + w; i >= x; --i)
        drawIfInside(i, y, i, y + h);
}

void TFrameBmp::DrawSyncCursor(QPainter& painter)
{
    double fx = PictureWidth() * SyncCursor.x;
    double fy = PictureHeight() * SyncCursor.y;
    if (!CoordinateBmpToFrame(fx, fy))
        return;
    FMainPen = QPen(QColor(0, 0, 255), 1);
    painter.setPen(FMainPen);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawEllipse(OutlineBox(framebmp::Trunc(fx - kCursorRadius), framebmp::Trunc(fy - kCursorRadius),
                                   framebmp::Trunc(fx + kCursorRadius), framebmp::Trunc(fy + kCursorRadius)));
    painter.setBrush(Qt::NoBrush);
}

void TFrameBmp::SpeedButtonNetClick() { Redraw(); }

void TFrameBmp::SpeedButtonSaveClick()
{
    QFileDialog dialog(this, tr("Save picture"));
    dialog.setObjectName(QStringLiteral("SavePictureDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("All (*.bmp *.png *.jpg *.jpeg *.gif)"), QStringLiteral("Bitmaps (*.bmp)"),
                           QStringLiteral("Portable Network Graphics (*.png)"),
                           QStringLiteral("JPEG Image File (*.jpg *.jpeg)"), QStringLiteral("GIF Image (*.gif)")});
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    std::string reason;
    if (BmpSaveToFile(Bmp, dialog.selectedFiles().constFirst(), reason))
        return;
    QMessageBox message(QMessageBox::NoIcon, QCoreApplication::applicationName(), QString::fromUtf8("Не сохранено"),
                        QMessageBox::Ok, this);
    message.setObjectName(QStringLiteral("MessageNotSaved"));
    // The old file, if any, is untouched; the reason says what stood in the way.
    message.setInformativeText(QString::fromStdString(reason));
    message.exec();
}

void TFrameBmp::FrameMouseMove(QObject* sender, TShiftState, int x, int y)
{
    if (sender != nullptr || x != y)
        return;
    switch (x) {
    case SaveIniLoadBegins:
        bLockScroll = true;
        break;
    case SaveIniLoadEnds:
        try {
            LPointFromListBox();
        } catch (...) {
            // A mark that does not convert must not leave the bars without effect: release the
            // lock and show what was restored before the error goes on to the loader.
            bLockScroll = false;
            ScrollBarXChange();
            throw;
        }
        bLockScroll = false;
        ScrollBarXChange();
        break;
    case SaveIniSaveBegins:
        LPointToListBox();
        break;
    case SaveIniSaveEnds:
    default:
        break;
    }
}

void TFrameBmp::SaveIniNotify(int code) { FrameMouseMove(nullptr, TShiftState{}, code, code); }

void TFrameBmp::LPointToListBox()
{
    ListBoxLPointX->clear();
    ListBoxLPointY->clear();
    const std::string decimalMark = QLocale().decimalPoint().toStdString();
    for (int i = 0; i < LPoint->FCount; ++i) {
        const MPoint<float>& mark = LPoint->Data[i];
        ListBoxLPointX->addItem(QString::fromStdString(FloatToText(static_cast<double>(mark.x), decimalMark)));
        ListBoxLPointY->addItem(QString::fromStdString(FloatToText(static_cast<double>(mark.y), decimalMark)));
    }
}

void TFrameBmp::LPointFromListBox()
{
    LPoint->SetCount(0);
    const int n = std::min(ListBoxLPointX->count(), ListBoxLPointY->count());
    for (int i = 0; i < n; ++i) {
        const double y = StrToDouble(ListBoxLPointY->item(i)->text().toStdString());
        const double x = StrToDouble(ListBoxLPointX->item(i)->text().toStdString());
        LPoint->Add(MPoint<float>{static_cast<float>(x), static_cast<float>(y)});
        AppendRandomColourIfShort();
    }
}
