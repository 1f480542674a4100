#include "MRadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

MRadioGroup::MRadioGroup(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), buttons_(new QButtonGroup(this)), column_(new QVBoxLayout(this))
{
    connect(buttons_, &QButtonGroup::idToggled, this, &MRadioGroup::OnButtonToggled);
}

void MRadioGroup::SetItems(const QStringList& items)
{
    SetItemIndex(-1);
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        delete button;
    }
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i);
        column_->addWidget(button);
    }
}

QStringList MRadioGroup::Items() const
{
    QStringList items;
    for (int i = 0; QAbstractButton* button = buttons_->button(i); ++i)
        items.append(button->text());
    return items;
}

int MRadioGroup::ItemIndex() const { return itemIndex_; }

void MRadioGroup::SetItemIndex(int index)
{
    const int count = static_cast<int>(buttons_->buttons().size());
    index = std::clamp(index, -1, count - 1);
    if (index == itemIndex_)
        return;
    if (index >= 0) {
        buttons_->button(index)->setChecked(true);
        return;  // the toggle handler records it and tells
    }
    // An exclusive group refuses to uncheck its last checked button.
    buttons_->setExclusive(false);
    if (QAbstractButton* checked = buttons_->checkedButton())
        checked->setChecked(false);
    buttons_->setExclusive(true);
    itemIndex_ = -1;
    emit ItemIndexChanged(-1);
}

void MRadioGroup::OnButtonToggled(int id, bool checked)
{
    if (!checked || id == itemIndex_)
        return;
    itemIndex_ = id;
    emit ItemIndexChanged(id);
}
