// What the frame draws over the view after the buffer: the owner's overlay (OnDrawCanvas),
// repainted on request without stretching the picture again, and a one-line hint.

#include "FrameBmpPanel.h"
#include "FrameBmp_.h"

#include <QFontMetrics>
#include <QPainter>

void TFrameBmp::UpdateOverlay() { PaintBoxMain->update(); }

void TFrameBmp::SetHintText(const QString& text)
{
    if (text == FHintText)
        return;
    FHintText = text;
    PaintBoxMain->update();
}

void TFrameBmp::DrawHint(QPainter& canvas) const
{
    const QRect view = PaintBoxMain->rect();
    const QFontMetrics metrics(font());
    const int padding = metrics.height() / 2;
    QRect box = metrics.boundingRect(view, Qt::AlignCenter | Qt::TextSingleLine, FHintText);
    box.adjust(-padding, -padding / 2, padding, padding / 2);
    canvas.save();
    canvas.setRenderHint(QPainter::Antialiasing);
    canvas.setPen(Qt::NoPen);
    canvas.setBrush(QColor(255, 255, 255, 220));
    canvas.drawRoundedRect(box, padding / 2.0, padding / 2.0);
    canvas.setPen(palette().color(QPalette::WindowText));
    canvas.drawText(view, Qt::AlignCenter | Qt::TextSingleLine, FHintText);
    canvas.restore();
}
