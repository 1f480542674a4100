#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINICONTENT_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINICONTENT_H

// What a walk continues with after a component.
//
// A widget is followed by its children. Containers whose controls Qt keeps inside widgets of
// its own (a scroll area's widget inside the viewport, tab pages inside a stack, splitter panes,
// a category panel's body) are followed by those widgets instead: when named, the widget is
// walked as a component; when unnamed, it only holds the container's controls, and they are
// walked in its place.

#include <QList>
#include <QObject>

class QWidget;

namespace saveini {

// The children of a widget; nothing for an object that is not a widget.
[[nodiscard]] QObjectList OwnedComponents(QObject* component);
// The content widgets of a container, each unwrapped as described above.
[[nodiscard]] QObjectList ContentOf(const QList<QWidget*>& contentWidgets);

}  // namespace saveini

#endif
