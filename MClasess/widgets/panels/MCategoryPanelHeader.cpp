#include "MCategoryPanelHeader.h"

#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

constexpr int kTextIndent = 6;
constexpr int kArrowSide = 9;
constexpr int kDefaultHeight = 20;

}  // namespace

MCategoryPanelHeader::MCategoryPanelHeader(QWidget* parent)
    : QAbstractButton(parent), color_(palette().color(QPalette::Button))
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void MCategoryPanelHeader::SetColor(const QColor& color)
{
    color_ = color;
    update();
}

void MCategoryPanelHeader::SetOpen(bool open)
{
    open_ = open;
    update();
}

QSize MCategoryPanelHeader::sizeHint() const
{
    const int textWidth = fontMetrics().horizontalAdvance(text());
    return {kTextIndent * 3 + textWidth + kArrowSide, std::max(kDefaultHeight, fontMetrics().height() + 4)};
}

void MCategoryPanelHeader::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect area = rect();
    QLinearGradient gradient(area.topLeft(), area.bottomLeft());
    gradient.setColorAt(0, color_.lighter(125));
    gradient.setColorAt(1, isDown() ? color_.darker(110) : color_);
    painter.fillRect(area, gradient);
    painter.setPen(color_.darker(140));
    painter.drawLine(area.bottomLeft(), area.bottomRight());

    painter.setPen(palette().color(QPalette::ButtonText));
    const QRect textArea = area.adjusted(kTextIndent, 0, -(kTextIndent * 2 + kArrowSide), 0);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, textArea.width()));

    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect =
        QRect(area.right() - kTextIndent - kArrowSide, area.center().y() - kArrowSide / 2, kArrowSide, kArrowSide);
    style()->drawPrimitive(open_ ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight, &arrow, &painter,
                           this);

    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = area.adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}
