#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINICOMPONENT_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINICOMPONENT_H

// What window-state persistence sees of Qt's object tree.
//
// A component is a QObject with a name (objectName) that does not start with "qt_", the names
// Qt gives its own inner objects. Its Tag is the int dynamic property "Tag" (absent: 0). The
// components it owns are its QObject children, in the order they were made. A form is a
// top-level window (popups such as menus are not forms); a frame is a widget, not a window,
// of a class derived from MSaveIniFrame. Forms and frames derived from MSaveIniNotified are
// told when a load or save of their contents begins and ends.

#include "MSaveIniHooks.h"

#include <QObject>

// The reserved tags.
inline constexpr int SaveIniTagSkip = -105;          // skipped with everything it owns
inline constexpr int SaveIniTagGridContents = -101;  // a grid whose size and cells are stored

namespace saveini {

enum class TComponentKind { Control, Form, Frame };

[[nodiscard]] bool IsComponent(const QObject* object);
[[nodiscard]] int TagOf(const QObject* component);
void SetTag(QObject* component, int tag);
[[nodiscard]] TComponentKind KindOf(const QObject* component);
// Tells a form or frame derived from MSaveIniNotified; others are not told.
void Notify(QObject* component, MSaveIniCode code);

}  // namespace saveini

#endif
