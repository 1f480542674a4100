#include "MSaveIniScrolling.h"
#include "MCategoryPanel.h"
#include "MCategoryPanelGroup.h"
#include "MSaveIniContent.h"
#include "MSaveIniPendingScroll.h"

#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>

#include <optional>

namespace saveini {

void BindScrollPositions(QObject* component, const MSaveIniBinder& keys)
{
    auto* area = static_cast<QAbstractScrollArea*>(component);
    QScrollBar* vertical = area->verticalScrollBar();
    QScrollBar* horizontal = area->horizontalScrollBar();
    keys.Key(u"->VertScrollBar->Position", vertical->value(),
             [vertical](int position) { RestoreScrollPosition(vertical, position); });
    keys.Key(u"->HorzScrollBar->Position", horizontal->value(),
             [horizontal](int position) { RestoreScrollPosition(horizontal, position); });
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

namespace {

// A bar the memo may show (its policy is not "always off") is set, and pending events run, so
// the memo has taken one position before the other is set.
void ScrollMemoBar(QScrollBar* bar, Qt::ScrollBarPolicy policy, std::optional<int> position)
{
    if (policy == Qt::ScrollBarAlwaysOff)
        return;
    if (position)
        bar->setValue(*position);
    QCoreApplication::processEvents();
}

}  // namespace

void BindMemo(QObject* component, const MSaveIniBinder& keys)
{
    auto* memo = static_cast<QPlainTextEdit*>(component);
    // Read first and set afterwards, the horizontal bar first: the order a memo is scrolled in
    // differs from the order of its keys.
    std::optional<int> vertical;
    std::optional<int> horizontal;
    keys.KeyIfPresent(u"->VertScrollBarPosition", memo->verticalScrollBar()->value(),
                      [&vertical](int position) { vertical = position; });
    keys.KeyIfPresent(u"->HorzScrollBarPosition", memo->horizontalScrollBar()->value(),
                      [&horizontal](int position) { horizontal = position; });
    keys.AfterLoad([&] {
        ScrollMemoBar(memo->horizontalScrollBar(), memo->horizontalScrollBarPolicy(), horizontal);
        ScrollMemoBar(memo->verticalScrollBar(), memo->verticalScrollBarPolicy(), vertical);
        memo->viewport()->update();
    });
}

}  // namespace saveini
