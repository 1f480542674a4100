#include "MSaveIniLists.h"

#include <QComboBox>
#include <QListWidget>

#include <algorithm>
#include <functional>

namespace saveini {

namespace {

// The items of a control that holds a list of texts.
struct TTextItems {
    std::function<int()> count;
    std::function<QString(int)> text;
    std::function<void(int, const QString&)> setText;
    std::function<void(const QString&)> append;
};

// The count under countPath, then each item as "->Strings[i]". A load replaces the first count
// items and appends where the control holds fewer; the count read is bounded by ItemLimit.
void BindItems(const MSaveIniBinder& keys, QStringView countPath, int countWhenMissing, const TTextItems& items)
{
    int count = items.count();
    keys.KeyOr(countPath, count, countWhenMissing);
    count = std::min(count, keys.ItemLimit(items.count()));
    for (int i = 0; i < count; ++i) {
        const bool held = i < items.count();
        keys.Key(IndexedPath(u"Strings", i), held ? items.text(i) : QString(), [&items, held, i](const QString& text) {
            if (held)
                items.setText(i, text);
            else
                items.append(text);
        });
    }
}

}  // namespace

void BindComboBox(QObject* component, const MSaveIniBinder& keys)
{
    auto* box = static_cast<QComboBox*>(component);
    BindItems(keys, u"->Items->Count", box->count(),
              {[box] { return box->count(); }, [box](int i) { return box->itemText(i); },
               [box](int i, const QString& text) { box->setItemText(i, text); },
               [box](const QString& text) { box->addItem(text); }});
    keys.KeyOr(u"->ItemIndex", box->currentIndex(), 0, [box](int index) { box->setCurrentIndex(index); });
    keys.Key(u"->Text", box->currentText(), [box](const QString& text) { box->setCurrentText(text); });
}

void BindListBox(QObject* component, const MSaveIniBinder& keys)
{
    auto* list = static_cast<QListWidget*>(component);
    BindItems(keys, u"->Count", 0,
              {[list] { return list->count(); }, [list](int i) { return list->item(i)->text(); },
               [list](int i, const QString& text) { list->item(i)->setText(text); },
               [list](const QString& text) { list->addItem(text); }});
}

}  // namespace saveini
