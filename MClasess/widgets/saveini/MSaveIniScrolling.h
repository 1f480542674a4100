#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINISCROLLING_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINISCROLLING_H

// Scrolled controls.
//
// Category panel group and scroll box (MCategoryPanelGroup, QScrollArea):
// "->VertScrollBar->Position" and "->HorzScrollBar->Position". A load sets them as soon as the
// bars have the range for them (see MSaveIniPendingScroll.h); the walk goes on with the group's
// panels, top to bottom, or with the scroll area's widget.
// Memo (QPlainTextEdit): "->VertScrollBarPosition" and "->HorzScrollBarPosition". A load sets
// the position of each bar the memo may show (its policy is not "always off"), horizontal
// first, and lets pending events run after each, so the memo has taken one position before the
// other is set; then the memo repaints. A key the file lacks leaves its bar where it is. Its
// text is not stored.

#include "MSaveIniBinder.h"

#include <QObjectList>

class QObject;

namespace saveini {

void BindScrollPositions(QObject* component, const MSaveIniBinder& keys);
[[nodiscard]] QObjectList PanelsOfGroup(QObject* component);
[[nodiscard]] QObjectList ScrollAreaContent(QObject* component);

void BindMemo(QObject* component, const MSaveIniBinder& keys);

}  // namespace saveini

#endif
