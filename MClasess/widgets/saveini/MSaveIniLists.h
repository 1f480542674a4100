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

#include "MSaveIniKeys.h"

class QObject;

namespace saveini {

void SaveComboBox(QObject* component, const MSaveIniKeys& keys);
void LoadComboBox(QObject* component, const MSaveIniKeys& keys);
void SaveListBox(QObject* component, const MSaveIniKeys& keys);
void LoadListBox(QObject* component, const MSaveIniKeys& keys);

}  // namespace saveini

#endif
