#ifndef PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINILISTS_H
#define PELMORA_MCLASESS_WIDGETS_SAVEINI_MSAVEINILISTS_H

// Controls that hold a list of texts.
//
// Combo box (QComboBox): "->Items->Count", each item as "->Strings[i]", "->ItemIndex",
// "->Text". A load replaces the first Count items (appending where the box has fewer; items
// past Count stay), chooses ItemIndex (0 when missing) and sets the text, which in a box that
// cannot be edited chooses the item of that text.
// List box (QListWidget): "->Count" and each item as "->Strings[i]"; a load replaces or appends
// the first Count items (0 when missing) and keeps those past it.
// A count is read only as far as the section could hold items, so a damaged count cannot make
// a load run away.

#include "MSaveIniBinder.h"

class QObject;

namespace saveini {

void BindComboBox(QObject* component, const MSaveIniBinder& keys);
void BindListBox(QObject* component, const MSaveIniBinder& keys);

}  // namespace saveini

#endif
