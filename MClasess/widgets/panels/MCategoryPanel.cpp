#include "MCategoryPanel.h"
#include "MCategoryPanelHeader.h"

#include <QVBoxLayout>

MCategoryPanel::MCategoryPanel(const QString& caption, QWidget* parent)
    : QWidget(parent), header_(new MCategoryPanelHeader(this)), body_(new QWidget(this))
{
    header_->setText(caption);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(header_);
    column->addWidget(body_);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(header_, &QAbstractButton::clicked, this, [this] { SetCollapsed(!collapsed_); });
}

QString MCategoryPanel::Caption() const { return header_->text(); }

void MCategoryPanel::SetCaption(const QString& caption) { header_->setText(caption); }

void MCategoryPanel::SetCollapsed(bool collapsed)
{
    if (collapsed == collapsed_)
        return;
    collapsed_ = collapsed;
    body_->setVisible(!collapsed);
    header_->SetOpen(!collapsed);
    emit CollapsedChanged(collapsed);
}

int MCategoryPanel::HeaderHeight() const
{
    const int fixed = header_->maximumHeight();
    return fixed < QWIDGETSIZE_MAX ? fixed : header_->sizeHint().height();
}

void MCategoryPanel::SetHeaderHeight(int height) { header_->setFixedHeight(height); }

QFont MCategoryPanel::HeaderFont() const { return header_->font(); }

void MCategoryPanel::SetHeaderFont(const QFont& font) { header_->setFont(font); }

QColor MCategoryPanel::HeaderColor() const { return header_->Color(); }

void MCategoryPanel::SetHeaderColor(const QColor& color) { header_->SetColor(color); }
