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
// first, and lets pending events run after each, as a classic memo scrolled by a message
// would; then the memo repaints. Its text is not stored.

#include "MSaveIniKeys.h"

#include <QObjectList>

class QObject;

namespace saveini {

void SaveScrollPositions(QObject* component, const MSaveIniKeys& keys);
void LoadScrollPositions(QObject* component, const MSaveIniKeys& keys);
[[nodiscard]] QObjectList PanelsOfGroup(QObject* component);
[[nodiscard]] QObjectList ScrollAreaContent(QObject* component);

void SaveMemo(QObject* component, const MSaveIniKeys& keys);
void LoadMemo(QObject* component, const MSaveIniKeys& keys);

}  // namespace saveini

#endif
