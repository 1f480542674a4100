#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIGRID_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINIGRID_H

// A string grid (QTableWidget) keeps its values in a section of its own: the current section,
// "_>", the grid's name. A grid tagged SaveIniTagGridContents stores its size ("->ColCount",
// "->RowCount") and every non-empty cell ("->Cells[column][row]"), the section erased first so
// no cell of a larger grid stays behind. Any other grid stores its view: "->LeftCol" and
// "->TopRow" (the first column and row shown) and the selected rectangle ("->Selection->Left",
// "->Right", "->Top", "->Bottom"; the current cell when nothing is selected, -1 without one).
// A load sets the size and the cells whenever the section holds a size, then the view.
// The grid's children are Qt's own; the walk does not go into them.

#include "MSaveIniBinder.h"

class QObject;

namespace saveini {

void BindGrid(QObject* component, const MSaveIniBinder& keys);

}  // namespace saveini

#endif
