#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIWINDOW_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIWINDOW_H

// A form's bounds and window state.
//
// "->Top", "->Left", "->Height", "->Width" are the window's client area in its normal state
// (Qt's geometry, without the frame a window manager adds, whose size differs between desktops),
// so a restore puts the window where it was. "->WindowState": 0 normal, 1 minimised,
// 2 maximised, 3 full screen.

#include "MSaveIniBinder.h"

#include <QList>
#include <QRect>

class QWidget;

namespace saveini {

// The window state, then the normal bounds. A save writes the state and then sets the window to
// the normal state. A load sets the bounds (moved onto a screen when they lie off every screen;
// a width or height that is not positive keeps the current one), then the window state, a
// minimised one restored as normal, and a missing one as normal too.
void BindWindowState(QWidget* form, const MSaveIniBinder& keys);

// Bounds that lie off every area are moved onto the nearest area, and made smaller only when
// they do not fit it. Bounds count as on an area when at least a 32 x 32 part of them (all of
// them when smaller) lies on it: a window with only a sliver left on a screen cannot be reached.
[[nodiscard]] QRect MoveOntoScreens(const QRect& bounds, const QList<QRect>& availableAreas);

}  // namespace saveini

#endif
