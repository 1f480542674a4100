#include "MSaveIniScrolling.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MSaveIniContent.h"
#include "MSaveIniPendingScroll.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>

namespace saveini {

void SaveScrollPositions(QObject* component, const MSaveIniKeys& keys)
{
    auto* area = static_cast<QAbstractScrollArea*>(component);
    keys.WriteInteger(u"->VertScrollBar->Position", area->verticalScrollBar()->value());
    keys.WriteInteger(u"->HorzScrollBar->Position", area->horizontalScrollBar()->value());
}

void LoadScrollPositions(QObject* component, const MSaveIniKeys& keys)
{
    auto* area = static_cast<QAbstractScrollArea*>(component);
    QScrollBar* vertical = area->verticalScrollBar();
    QScrollBar* horizontal = area->horizontalScrollBar();
    RestoreScrollPosition(vertical, keys.ReadInteger(u"->VertScrollBar->Position", vertical->value()));
    RestoreScrollPosition(horizontal, keys.ReadInteger(u"->HorzScrollBar->Position", horizontal->value()));
}

QObjectList PanelsOfGroup(QObject* component)
{
    QObjectList panels;
    for (MCategoryPanel* panel : static_cast<MCategoryPanelGroup*>(component)->Panels())
        panels.append(panel);
    return panels;
}

QObjectList ScrollAreaContent(QObject* component)
{
    return ContentOf({static_cast<QScrollArea*>(component)->widget()});
}

void SaveMemo(QObject* component, const MSaveIniKeys& keys)
{
    auto* memo = static_cast<QPlainTextEdit*>(component);
    keys.WriteInteger(u"->VertScrollBarPosition", memo->verticalScrollBar()->value());
    keys.WriteInteger(u"->HorzScrollBarPosition", memo->horizontalScrollBar()->value());
}

void LoadMemo(QObject* component, const MSaveIniKeys& keys)
{
    auto* memo = static_cast<QPlainTextEdit*>(component);
    if (memo->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
        QScrollBar* bar = memo->horizontalScrollBar();
        bar->setValue(keys.ReadInteger(u"->HorzScrollBarPosition", bar->value()));
        QCoreApplication::processEvents();
    }
    if (memo->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff) {
        QScrollBar* bar = memo->verticalScrollBar();
        bar->setValue(keys.ReadInteger(u"->VertScrollBarPosition", bar->value()));
        QCoreApplication::processEvents();
    }
    memo->viewport()->update();
}

}  // namespace saveini
