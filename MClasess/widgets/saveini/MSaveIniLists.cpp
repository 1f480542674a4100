#include "MSaveIniLists.h"

#include <QComboBox>
#include <QListWidget>

#include <algorithm>

namespace saveini {

namespace {

QString ItemPath(int index)
{
    return IndexedPath(u"Strings", index);
}

}  // namespace

void SaveComboBox(QObject* component, const MSaveIniKeys& keys)
{
    auto* box = static_cast<QComboBox*>(component);
    keys.WriteInteger(u"->Items->Count", box->count());
    for (int i = 0; i < box->count(); ++i)
        keys.WriteString(ItemPath(i), box->itemText(i));
    keys.WriteInteger(u"->ItemIndex", box->currentIndex());
    keys.WriteString(u"->Text", box->currentText());
}

void LoadComboBox(QObject* component, const MSaveIniKeys& keys)
{
    auto* box = static_cast<QComboBox*>(component);
    const int count = std::min(keys.ReadInteger(u"->Items->Count", box->count()), keys.ItemLimit(box->count()));
    for (int i = 0; i < count; ++i) {
        if (i < box->count())
            box->setItemText(i, keys.ReadString(ItemPath(i), box->itemText(i)));
        else
            box->addItem(keys.ReadString(ItemPath(i), QString()));
    }
    box->setCurrentIndex(keys.ReadInteger(u"->ItemIndex", 0));
    box->setCurrentText(keys.ReadString(u"->Text", box->currentText()));
}

void SaveListBox(QObject* component, const MSaveIniKeys& keys)
{
    auto* list = static_cast<QListWidget*>(component);
    keys.WriteInteger(u"->Count", list->count());
    for (int i = 0; i < list->count(); ++i)
        keys.WriteString(ItemPath(i), list->item(i)->text());
}

void LoadListBox(QObject* component, const MSaveIniKeys& keys)
{
    auto* list = static_cast<QListWidget*>(component);
    const int count = std::min(keys.ReadInteger(u"->Count", 0), keys.ItemLimit(list->count()));
    for (int i = 0; i < count; ++i) {
        if (i < list->count())
            list->item(i)->setText(keys.ReadString(ItemPath(i), list->item(i)->text()));
        else
            list->addItem(keys.ReadString(ItemPath(i), QString()));
    }
}

}  // namespace saveini
