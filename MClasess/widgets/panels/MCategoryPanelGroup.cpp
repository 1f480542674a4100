#include "MCategoryPanelGroup.h"
#include "MCategoryPanel.h"

#include <QVBoxLayout>

MCategoryPanelGroup::MCategoryPanelGroup(QWidget* parent) : QScrollArea(parent)
{
    auto* content = new QWidget;
    column_ = new QVBoxLayout(content);
    column_->setContentsMargins(0, 0, 0, 0);
    column_->setSpacing(0);
    column_->addStretch(1);  // panels stay at the top of a group taller than they are
    setWidget(content);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

MCategoryPanel* MCategoryPanelGroup::AddPanel(const QString& caption)
{
    auto* panel = new MCategoryPanel(caption);
    AddPanel(panel);
    return panel;
}

void MCategoryPanelGroup::AddPanel(MCategoryPanel* panel)
{
    ApplyHeader(panel);
    column_->insertWidget(column_->count() - 1, panel);
}

QList<MCategoryPanel*> MCategoryPanelGroup::Panels() const
{
    QList<MCategoryPanel*> panels;
    for (int i = 0; i < column_->count(); ++i)
        if (auto* panel = qobject_cast<MCategoryPanel*>(column_->itemAt(i)->widget()))
            panels.append(panel);
    return panels;
}

void MCategoryPanelGroup::SetHeaderHeight(int height)
{
    headerHeight_ = height;
    for (MCategoryPanel* panel : Panels())
        ApplyHeader(panel);
}

void MCategoryPanelGroup::SetHeaderFont(const QFont& font)
{
    headerFont_ = font;
    for (MCategoryPanel* panel : Panels())
        ApplyHeader(panel);
}

void MCategoryPanelGroup::SetHeaderColor(const QColor& color)
{
    headerColor_ = color;
    for (MCategoryPanel* panel : Panels())
        ApplyHeader(panel);
}

void MCategoryPanelGroup::ApplyHeader(MCategoryPanel* panel) const
{
    if (headerHeight_)
        panel->SetHeaderHeight(*headerHeight_);
    if (headerFont_)
        panel->SetHeaderFont(*headerFont_);
    if (headerColor_)
        panel->SetHeaderColor(*headerColor_);
}
