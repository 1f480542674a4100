#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINISPLITTER_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINISPLITTER_H

// A splitter (QSplitter) is stored as the position of its bar, the handle between two panes:
// "->Left" and "->Top" of the handle inside the splitter, which is where the dividing line
// lies. A splitter of more than two panes stores its further handles the same way under
// "->Handles[i]->Left" and "->Handles[i]->Top", i from 2 (the handle before pane i).
//
// A load moves a handle whose saved position differs from its current one as the user would:
// a left-button drag from the handle to the saved position, made twice, so that the minimum
// sizes and collapsing of the panes apply exactly as for a drag, and a first move that a
// neighbour's minimum size stopped short is completed once the other handles have moved.
// Qt places the handles of a hidden splitter only when it is shown, so the drags of a splitter
// loaded before its window is shown are made when it is first shown.
//
// A QSplitter holds its panes, so the walk goes on with them.

#include "MSaveIniBinder.h"

#include <QObjectList>

class QObject;

namespace saveini {

void BindSplitter(QObject* component, const MSaveIniBinder& keys);
[[nodiscard]] QObjectList SplitterPanes(QObject* component);

}  // namespace saveini

#endif
